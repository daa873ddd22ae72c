// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// A power_supply tree in a temporary folder, as VOLTQUILL_SYSFS_ROOT sees it.
class FakeSysfs
{
public:
    FakeSysfs();

    QString root() const { return m_dir.path(); }
    QString supplyPath(const QString &supply) const;

    void addSupply(const QString &name, const QMap<QByteArray, QByteArray> &attributes);
    // A battery with the modern threshold names and an end threshold of 100.
    void addBattery(const QString &name = QStringLiteral("BAT0"));
    void addAdapter(bool online, const QString &name = QStringLiteral("AC"));
    void addModule(const QString &name);

    // Written in place, as a driver changes an attribute.
    void write(const QString &supply, const QByteArray &attribute, const QByteArray &value);
    QByteArray read(const QString &supply, const QByteArray &attribute) const;

    // Every file below the root (and `extra`) with its content.
    QMap<QString, QByteArray> snapshot(const QString &extra = QString()) const;

    // Every file below `roots` (empty ones skipped) with its first 4 KiB.
    static QMap<QString, QByteArray> snapshotOf(const QStringList &roots);
    // Writes `content` to `path`, making its folders.
    static void writeFile(const QString &path, const QByteArray &content);

private:
    QTemporaryDir m_dir;
};
