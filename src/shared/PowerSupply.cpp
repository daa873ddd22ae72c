// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/PowerSupply.h"

#include <QDir>
#include <QFile>

QList<PowerSupply> PowerSupply::enumerate(const QString &powerSupplyDir)
{
    QList<PowerSupply> supplies;
    const QDir dir(powerSupplyDir);
    const QStringList names =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    supplies.reserve(names.size());
    for (const QString &name : names)
        supplies.append(PowerSupply(dir.filePath(name)));
    return supplies;
}

QString PowerSupply::name() const
{
    return m_path.section(QLatin1Char('/'), -1);
}

std::optional<QByteArray> PowerSupply::text(const char *attribute) const
{
    QFile file(m_path + QLatin1Char('/') + QLatin1String(attribute));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Attributes are short; a bounded read keeps a strange file from costing
    // much, and one longer than the bound is no value (its start could pass
    // for one).
    constexpr qint64 bound = 4096;
    const QByteArray data = file.read(bound + 1);
    if ((data.isNull() && file.error() != QFileDevice::NoError) || data.size() > bound)
        return std::nullopt;
    return data.trimmed();
}

std::optional<qint64> PowerSupply::number(const char *attribute) const
{
    const auto value = text(attribute);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const qint64 n = value->toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}
