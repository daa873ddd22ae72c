// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/PowerSupply.h"

#include "shared/RegularFile.h"

#include <QFile>
#include <QScopeGuard>
#include <dirent.h>

QList<PowerSupply> PowerSupply::enumerate(const QString &powerSupplyDir)
{
    // Read at every tick: readdir, as QDir's listing costs a good part of one.
    QList<PowerSupply> supplies;
    DIR *dir = ::opendir(QFile::encodeName(powerSupplyDir).constData());
    if (!dir)
        return supplies;
    const auto closeDir = qScopeGuard([dir] { ::closedir(dir); });
    QStringList names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        // Supplies are folders, or on real sysfs links to them; a file beside
        // them is none (what a link points at shows when its attributes are read).
        if (name == "." || name == ".." ||
            (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN))
            continue;
        names << QFile::decodeName(name);
    }
    names.sort();
    supplies.reserve(names.size());
    for (const QString &name : names)
        supplies.append(PowerSupply(powerSupplyDir + QLatin1Char('/') + name));
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
