// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeSysfs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

FakeSysfs::FakeSysfs()
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("class/power_supply")));
}

QString FakeSysfs::supplyPath(const QString &supply) const
{
    return m_dir.filePath(QStringLiteral("class/power_supply/") + supply);
}

void FakeSysfs::addSupply(const QString &name, const QMap<QByteArray, QByteArray> &attributes)
{
    QDir().mkpath(supplyPath(name));
    for (auto it = attributes.begin(); it != attributes.end(); ++it)
        write(name, it.key(), it.value());
}

void FakeSysfs::addBattery(const QString &name)
{
    addSupply(name, {{"type", "Battery"},
                     {"status", "Charging"},
                     {"capacity", "60"},
                     {"charge_control_end_threshold", "100"}});
}

void FakeSysfs::addAdapter(bool online, const QString &name)
{
    addSupply(name, {{"type", "Mains"}, {"online", online ? "1" : "0"}});
}

void FakeSysfs::addModule(const QString &name)
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("module/") + name));
}

void FakeSysfs::write(const QString &supply, const QByteArray &attribute, const QByteArray &value)
{
    QFile file(supplyPath(supply) + QLatin1Char('/') + QString::fromLatin1(attribute));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(value + '\n');
}

QByteArray FakeSysfs::read(const QString &supply, const QByteArray &attribute) const
{
    QFile file(supplyPath(supply) + QLatin1Char('/') + QString::fromLatin1(attribute));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    // Bounded: an attribute may be a device that never ends.
    return file.read(4096).trimmed();
}

QMap<QString, QByteArray> FakeSysfs::snapshot(const QString &extra) const
{
    return snapshotOf({root(), extra});
}

QMap<QString, QByteArray> FakeSysfs::snapshotOf(const QStringList &roots)
{
    QMap<QString, QByteArray> files;
    for (const QString &top : roots) {
        if (top.isEmpty())
            continue;
        QDirIterator it(top, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            files.insert(file.fileName(),
                         file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray("?"));
        }
    }
    return files;
}

void FakeSysfs::writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}
