#include "BatteryControl.h"

#include "platform/SysfsPaths.h"

#include <QDir>
#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// Drivers that honour only "80" and "100" (they round anything else).
const char *const twoStepDrivers[] = {"lg_laptop", "toshiba_acpi", "macsmc_power"};

bool hasAttribute(const PowerSupply &supply, const char *attribute)
{
    return QFile::exists(supply.path() + QLatin1Char('/') + QLatin1String(attribute));
}

bool writeNumber(const PowerSupply &supply, const char *attribute, int value)
{
    const QByteArray path =
        QFile::encodeName(supply.path() + QLatin1Char('/') + QLatin1String(attribute));
    // Never through a link planted in place of the attribute. Unbuffered: a
    // driver's refusal arrives as the write's error.
    const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const QByteArray text = QByteArray::number(value);
    const bool written = ::write(fd, text.constData(), text.size()) == text.size();
    return ::close(fd) == 0 && written;
}

// Real sysfs links each supply to its device below the same root; a folder
// that resolves elsewhere was planted.
bool insideRoot(const PowerSupply &supply, const QString &root)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(supply.path()).canonicalFilePath();
    return !canonicalRoot.isEmpty() && canonical.startsWith(canonicalRoot + QLatin1Char('/'));
}
} // namespace

BatteryControl::BatteryControl(QString sysfsRoot) : m_sysfsRoot(std::move(sysfsRoot))
{
    rescan();
}

void BatteryControl::rescan()
{
    m_batteries.clear();
    m_adapters.clear();
    for (const PowerSupply &supply :
         PowerSupply::enumerate(SysfsPaths::powerSupplyDir(m_sysfsRoot))) {
        if (!insideRoot(supply, m_sysfsRoot))
            continue;
        const QByteArray type = supply.type();
        if (supply.isSystemBattery()) {
            if (hasAttribute(supply, "charge_control_end_threshold"))
                m_batteries.append({supply, "charge_control_end_threshold",
                                    hasAttribute(supply, "charge_control_start_threshold")
                                        ? "charge_control_start_threshold"
                                        : nullptr});
            else if (hasAttribute(supply, "charge_stop_threshold"))
                m_batteries.append({supply, "charge_stop_threshold",
                                    hasAttribute(supply, "charge_start_threshold")
                                        ? "charge_start_threshold"
                                        : nullptr});
        } else if ((type == "Mains" || type == "USB") && !supply.isDeviceScope()) {
            m_adapters.append(supply);
        }
    }

    m_limits.clear();
    for (const char *driver : twoStepDrivers)
        if (QFileInfo(m_sysfsRoot + QStringLiteral("/module/") + QLatin1String(driver)).isDir())
            m_limits = {80, 100};
    if (m_limits.isEmpty())
        for (int limit = 60; limit <= 100; limit += 5)
            m_limits.append(limit);
}

std::optional<int> BatteryControl::endThreshold() const
{
    if (m_batteries.isEmpty())
        return std::nullopt;
    const auto value = m_batteries.first().supply.number(m_batteries.first().end);
    if (!value || *value < 0 || *value > 100)
        return std::nullopt;
    return static_cast<int>(*value);
}

bool BatteryControl::differsFrom(int target) const
{
    for (const Battery &battery : m_batteries)
        if (battery.supply.number(battery.end) != target)
            return true;
    return false;
}

bool BatteryControl::adapterOnline() const
{
    for (const PowerSupply &adapter : m_adapters)
        if (adapter.isOnline())
            return true;
    return false;
}

BatteryControl::Outcome BatteryControl::apply(int target)
{
    Outcome outcome;
    if (m_batteries.isEmpty()) {
        outcome.failure = QStringLiteral("Kein Akku mit Ladeschwelle gefunden.");
        return outcome;
    }
    for (const Battery &battery : m_batteries) {
        if (const auto failure = applyTo(battery, target)) {
            outcome.failure = *failure;
            return outcome;
        }
    }
    const auto accepted = endThreshold();
    if (!accepted) {
        outcome.failure = QStringLiteral("Die Ladeschwelle von %1 ist nicht lesbar.")
                              .arg(m_batteries.first().supply.name());
        return outcome;
    }
    outcome.ok = true;
    outcome.accepted = *accepted;
    return outcome;
}

std::optional<QString> BatteryControl::applyTo(const Battery &battery, int target)
{
    const auto refused = [&](const char *attribute, int value) {
        return QStringLiteral("%1 hat %2 = %3 abgelehnt.")
            .arg(battery.supply.name(), QLatin1String(attribute))
            .arg(value);
    };
    // Drivers refuse a start at or above the end at the moment of writing:
    // lower the start before the end comes down to it.
    if (battery.start) {
        const auto start = battery.supply.number(battery.start);
        if (start && *start >= target) {
            const int lowered = std::max(0, target - 5);
            if (!writeNumber(battery.supply, battery.start, lowered))
                return refused(battery.start, lowered);
        }
    }
    if (battery.supply.number(battery.end) == target)
        return std::nullopt;
    if (!writeNumber(battery.supply, battery.end, target))
        return refused(battery.end, target);
    return std::nullopt;
}

QStringList BatteryControl::watchedFiles() const
{
    QStringList files;
    for (const Battery &battery : m_batteries)
        files << battery.supply.path() + QLatin1Char('/') + QLatin1String(battery.end);
    for (const PowerSupply &adapter : m_adapters)
        files << adapter.path() + QStringLiteral("/online");
    return files;
}

QStringList BatteryControl::watchedDirectories() const
{
    QStringList dirs{SysfsPaths::powerSupplyDir(m_sysfsRoot)};
    for (const Battery &battery : m_batteries)
        dirs << battery.supply.path();
    for (const PowerSupply &adapter : m_adapters)
        dirs << adapter.path();
    return dirs;
}
