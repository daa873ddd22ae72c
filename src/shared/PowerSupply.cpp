// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/PowerSupply.h"

#include "shared/RegularFile.h"

#include <QDir>

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
    return attributeText(m_path + QLatin1Char('/') + QLatin1String(attribute));
}

std::optional<QByteArray> PowerSupply::attributeText(const QString &path)
{
    // Attributes are short; one longer than a page is no value (its start
    // could pass for one). The supply's folder is a link on real sysfs, an
    // attribute never is.
    const RegularFile::Contents file = RegularFile::read(path, 4096);
    if (file.status != RegularFile::Status::Read)
        return std::nullopt;
    return file.data.trimmed();
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
