// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

// A fake sysfs root: class/power_supply/<name>/<attribute> files in a temporary folder.
class SysfsTree
{
public:
    using Attributes = QMap<QString, QString>;

    QString root() const { return m_dir.path(); }
    QString supplyDir() const { return m_dir.path() + QStringLiteral("/class/power_supply"); }

    void add(const QString &name, const Attributes &attributes)
    {
        for (auto it = attributes.begin(); it != attributes.end(); ++it)
            set(name, it.key(), it.value());
    }

    void set(const QString &name, const QString &attribute, const QString &value)
    {
        const QString dir = supplyDir() + QLatin1Char('/') + name;
        QDir().mkpath(dir);
        QFile file(dir + QLatin1Char('/') + attribute);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write((value + QLatin1Char('\n')).toUtf8());
    }

    void remove(const QString &name)
    {
        QDir(supplyDir() + QLatin1Char('/') + name).removeRecursively();
    }

private:
    QTemporaryDir m_dir;
};
