// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"

#include "shared/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSet>
#include <cmath>

namespace
{
// About thirty short values: a few KiB at most.
constexpr qint64 maxFileSize = 64 << 10;
} // namespace

SettingsStore::SettingsStore(QString filePath, QObject *parent)
    : QObject(parent), m_path(std::move(filePath))
{
    load();
    // A burst of writes from elsewhere is read once, a moment after it began.
    m_reloadFold.setSingleShot(true);
    m_reloadFold.setInterval(20);
    connect(&m_reloadFold, &QTimer::timeout, this, &SettingsStore::reload);
    const auto fold = [this] {
        if (!m_reloadFold.isActive())
            m_reloadFold.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, fold);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, fold);
    watch();
}

void SettingsStore::load()
{
    RegularFile::removeTemporaries(m_path);
    const RegularFile::Contents contents = RegularFile::read(m_path, maxFileSize);
    QString reason = contents.refusal;
    if (contents.status == RegularFile::Status::Read) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(contents.data, &error);
        if (error.error == QJsonParseError::NoError && doc.isObject()) {
            m_values = doc.object();
            return;
        }
        reason = QStringLiteral("ist kein lesbares JSON-Objekt");
    } else if (contents.status != RegularFile::Status::Refused) {
        return;
    }
    // Start from the defaults, but keep the user's file aside so the next
    // write cannot destroy it (on a read-only disk, at that next write).
    if (!RegularFile::keepAside(m_path, reason))
        m_keepAsideReason = reason;
}

std::optional<qint64> SettingsStore::exactInteger(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    // 2^63 itself is not representable; -2^63 is.
    if (!std::isfinite(d) || d != std::trunc(d) || d < -9223372036854775808.0 ||
        d >= 9223372036854775808.0)
        return std::nullopt;
    // Integers beyond 2^53 are kept exactly by the JSON value itself.
    return value.toInteger(static_cast<qint64>(d));
}

bool SettingsStore::boolean(const QString &key, bool fallback) const
{
    const QJsonValue v = m_values.value(key);
    return v.isBool() ? v.toBool() : fallback;
}

qint64 SettingsStore::integer(const QString &key, qint64 fallback) const
{
    return optionalInteger(key).value_or(fallback);
}

std::optional<qint64> SettingsStore::optionalInteger(const QString &key) const
{
    return exactInteger(m_values.value(key));
}

std::optional<QString> SettingsStore::string(const QString &key) const
{
    const QJsonValue v = m_values.value(key);
    if (!v.isString())
        return std::nullopt;
    return v.toString();
}

bool SettingsStore::contains(const QString &key) const
{
    return m_values.contains(key);
}

void SettingsStore::setBool(const QString &key, bool value)
{
    write(key, value);
}

void SettingsStore::setInteger(const QString &key, qint64 value)
{
    write(key, QJsonValue(value));
}

void SettingsStore::setString(const QString &key, const QString &value)
{
    write(key, value);
}

void SettingsStore::remove(const QString &key)
{
    if (!m_values.contains(key))
        return;
    m_values.remove(key);
    save();
    Q_EMIT changed(key);
}

void SettingsStore::clear()
{
    const QStringList keys = m_values.keys();
    m_values = {};
    save();
    for (const QString &key : keys)
        Q_EMIT changed(key);
}

void SettingsStore::write(const QString &key, const QJsonValue &value)
{
    if (m_values.value(key) == value && m_values.contains(key))
        return;
    m_values.insert(key, value);
    save();
    Q_EMIT changed(key);
}

void SettingsStore::save()
{
    if (!m_keepAsideReason.isEmpty()) {
        if (!RegularFile::keepAside(m_path, m_keepAsideReason))
            return;
        m_keepAsideReason.clear();
    }
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    RegularFile::write(m_path, QJsonDocument(m_values).toJson(QJsonDocument::Indented));
    watch();
}

void SettingsStore::watch()
{
    // The file is replaced on every atomic write, so its watch must be renewed;
    // the folder is watched too, for a file that does not exist yet.
    const QString dir = QFileInfo(m_path).absolutePath();
    if (QFileInfo::exists(dir) && !m_watcher.directories().contains(dir))
        m_watcher.addPath(dir);
    if (QFileInfo::exists(m_path) && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

void SettingsStore::reload()
{
    QJsonObject values;
    const RegularFile::Contents contents = RegularFile::read(m_path, maxFileSize);
    if (contents.status == RegularFile::Status::Read) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(contents.data, &error);
        // A half-written or broken file from elsewhere must not wipe what we know.
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            return;
        values = doc.object();
        m_keepAsideReason.clear(); // mended from elsewhere
    } else if (contents.status != RegularFile::Status::Missing) {
        // Neither is anything planted there; the next write replaces it.
        if (contents.status == RegularFile::Status::Refused)
            qCWarning(lcFiles, "%s %s und wird nicht gelesen.", qPrintable(m_path),
                      qPrintable(contents.refusal));
        watch();
        return;
    }
    watch();
    adopt(values);
}

void SettingsStore::adopt(QJsonObject values)
{
    QSet<QString> keys;
    for (auto it = values.begin(); it != values.end(); ++it)
        if (m_values.value(it.key()) != it.value() || !m_values.contains(it.key()))
            keys.insert(it.key());
    for (auto it = m_values.begin(); it != m_values.end(); ++it)
        if (!values.contains(it.key()))
            keys.insert(it.key());
    m_values = std::move(values);
    for (const QString &key : keys)
        Q_EMIT changed(key);
}
