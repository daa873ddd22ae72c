// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileSystemWatcher>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <optional>

// A flat, typed key-value store kept as one JSON object in a file.
// Booleans, integers and strings keep their types; a read passes its default,
// and a missing or mistyped value reads as that default. Nothing is ever
// registered or written back on a read. Writes replace the file atomically.
// Changes made by another process are picked up through a file watcher and
// announced per key, like changes made here. A file that is unreadable or is
// no regular file of a sensible size is moved aside to settings.json.unreadable
// and the store starts from the defaults.
class SettingsStore : public QObject
{
    Q_OBJECT
public:
    explicit SettingsStore(QString filePath, QObject *parent = nullptr);

    QString filePath() const { return m_path; }

    bool boolean(const QString &key, bool fallback) const;
    qint64 integer(const QString &key, qint64 fallback) const;
    std::optional<qint64> optionalInteger(const QString &key) const;
    std::optional<QString> string(const QString &key) const;
    bool contains(const QString &key) const;

    void setBool(const QString &key, bool value);
    void setInteger(const QString &key, qint64 value);
    void setString(const QString &key, const QString &value);
    void remove(const QString &key);

    // Forgets every stored value (tests and a fresh start).
    void clear();

    // Re-reads the file now; a watcher does this on its own.
    void reload();

    // Exactly representable as a signed 64-bit integer.
    static std::optional<qint64> exactInteger(const QJsonValue &value);

Q_SIGNALS:
    void changed(const QString &key);

private:
    void load();
    void write(const QString &key, const QJsonValue &value);
    void save();
    void watch();
    void adopt(QJsonObject values);

    QString m_path;
    QJsonObject m_values;
    QFileSystemWatcher m_watcher;
    QTimer m_reloadFold;
    // Why the file could not be used, while it could not be moved aside
    // either: it must not be replaced.
    QString m_keepAsideReason;
};
