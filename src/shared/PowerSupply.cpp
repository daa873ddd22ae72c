// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/PowerSupply.h"

#include "shared/RegularFile.h"

#include <QFile>
#include <QScopeGuard>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// Attributes are short; one longer than a page is no value (its start could
// pass for one).
constexpr qint64 attributeBound = 4096;

// What an attribute file read gives: its text, trimmed, or nothing.
std::optional<QByteArray> valueOf(const RegularFile::Contents &file)
{
    if (file.status != RegularFile::Status::Read)
        return std::nullopt;
    return file.data.trimmed();
}

// The supplies' names, sorted: readdir, as QDir's listing costs a good part of
// a tick.
QStringList supplyNames(const QString &powerSupplyDir)
{
    QStringList names;
    DIR *dir = ::opendir(QFile::encodeName(powerSupplyDir).constData());
    if (!dir)
        return names;
    const auto closeDir = qScopeGuard([dir] { ::closedir(dir); });
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
    return names;
}
} // namespace

// The folder is opened once (on real sysfs through the class folder's link)
// and the attributes taken from it, so a reading walks no path again.
struct PowerSupply::Snapshot {
    explicit Snapshot(const QString &path)
        : folder(::open(QFile::encodeName(path).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~Snapshot()
    {
        if (folder >= 0)
            ::close(folder);
    }
    Snapshot(const Snapshot &) = delete;
    Snapshot &operator=(const Snapshot &) = delete;

    const int folder; // -1: the supply vanished, and every attribute with it
    QList<std::pair<QByteArray, std::optional<QByteArray>>> read;
};

QList<PowerSupply> PowerSupply::enumerate(const QString &powerSupplyDir)
{
    QList<PowerSupply> supplies;
    for (const QString &name : supplyNames(powerSupplyDir))
        supplies.append(PowerSupply(powerSupplyDir + QLatin1Char('/') + name));
    return supplies;
}

QList<PowerSupply> PowerSupply::snapshot(const QString &powerSupplyDir)
{
    QList<PowerSupply> supplies = enumerate(powerSupplyDir);
    for (PowerSupply &supply : supplies)
        supply.m_snapshot = std::make_shared<Snapshot>(supply.m_path);
    return supplies;
}

QString PowerSupply::name() const
{
    return m_path.section(QLatin1Char('/'), -1);
}

std::optional<QByteArray> PowerSupply::text(const char *attribute) const
{
    if (!m_snapshot)
        return attributeText(m_path + QLatin1Char('/') + QLatin1String(attribute));
    for (const auto &[name, value] : std::as_const(m_snapshot->read))
        if (name == attribute)
            return value;
    std::optional<QByteArray> value;
    if (m_snapshot->folder >= 0)
        value = valueOf(RegularFile::readAt(m_snapshot->folder, attribute, attributeBound));
    m_snapshot->read.append({QByteArray(attribute), value});
    return value;
}

std::optional<QByteArray> PowerSupply::attributeText(const QString &path)
{
    // The supply's folder is a link on real sysfs, an attribute never is.
    return valueOf(RegularFile::read(path, attributeBound));
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
