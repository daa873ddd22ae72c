#include "platform/SysfsBatteryRegistry.h"

#include "platform/PowerSupply.h"
#include "platform/SysfsPaths.h"

#include <cmath>

namespace
{
// µWh and µV both appear; mAh = µWh / µV × 1000.
std::optional<qint64> milliampHours(const PowerSupply &battery, const char *charge,
                                    const char *energy)
{
    if (const auto uAh = battery.number(charge))
        return *uAh / 1000;
    const auto uWh = battery.number(energy);
    if (!uWh)
        return std::nullopt;
    qint64 uV = 0;
    for (const char *voltage : {"voltage_min_design", "voltage_max_design", "voltage_now"}) {
        uV = battery.number(voltage).value_or(0);
        if (uV > 0)
            break;
    }
    if (uV <= 0)
        uV = 10'000'000; // 10 V, when the driver gives no voltage at all
    return static_cast<qint64>(std::llround(static_cast<double>(*uWh) / uV * 1000.0));
}

// Minutes until full or empty: the driver's own estimate, else from the rate.
std::optional<qint64> minutes(const PowerSupply &battery, bool charging)
{
    if (const auto seconds = battery.number(charging ? "time_to_full_now" : "time_to_empty_now"))
        return *seconds / 60;

    // Amount left to move and the rate, in the same family of units.
    std::optional<qint64> now = battery.number("energy_now");
    std::optional<qint64> full = battery.number("energy_full");
    std::optional<qint64> rate = battery.number("power_now");
    if (!now) {
        now = battery.number("charge_now");
        full = battery.number("charge_full");
        rate = battery.number("current_now");
    }
    if (!now || !rate || *rate == 0)
        return std::nullopt;
    const double r = std::fabs(static_cast<double>(*rate)); // the sign varies by driver
    // In doubles: a driver's garbage must not overflow the subtraction.
    const double left = charging
                            ? (full ? static_cast<double>(*full) - static_cast<double>(*now) : -1.0)
                            : static_cast<double>(*now);
    if (left < 0)
        return std::nullopt;
    return static_cast<qint64>(std::llround(left / r * 60.0));
}

void put(QVariantMap &table, const char *key, const std::optional<qint64> &value)
{
    if (value)
        table.insert(QLatin1String(key), *value);
}
} // namespace

SysfsBatteryRegistry::SysfsBatteryRegistry(QString sysfsRoot)
    : m_dir(SysfsPaths::powerSupplyDir(sysfsRoot))
{
}

std::optional<QVariantMap> SysfsBatteryRegistry::copyProperties() const
{
    const QList<PowerSupply> supplies = PowerSupply::enumerate(m_dir);
    const PowerSupply *battery = nullptr;
    bool external = false;
    qint64 watts = 0;
    for (const PowerSupply &supply : supplies) {
        const QByteArray type = supply.type();
        if (!battery && supply.isSystemBattery() && supply.text("present").value_or("1") != "0") {
            battery = &supply;
            continue;
        }
        if (supply.isDeviceScope() || !supply.isOnline())
            continue;
        if (type == "Mains") {
            external = true;
        } else if (type.startsWith("USB")) {
            external = true;
            const double w = static_cast<double>(supply.number("voltage_max").value_or(0)) *
                             static_cast<double>(supply.number("current_max").value_or(0)) / 1e12;
            watts = std::max<qint64>(watts, static_cast<qint64>(std::llround(w)));
        }
    }
    if (!battery)
        return std::nullopt;

    QVariantMap p;
    const QByteArray status = battery->text("status").value_or(QByteArray());
    const bool charging = status == "Charging";
    std::optional<qint64> capacity = battery->number("capacity");
    if (!capacity) { // some ACPI batteries give no capacity attribute
        const auto now = battery->number("energy_now") ? battery->number("energy_now")
                                                       : battery->number("charge_now");
        const auto full = battery->number("energy_full") ? battery->number("energy_full")
                                                         : battery->number("charge_full");
        if (now && full && *full > 0)
            capacity = static_cast<qint64>(std::llround(100.0 * *now / *full));
    }
    put(p, "CurrentCapacity", capacity);
    p.insert(QStringLiteral("IsCharging"), charging);
    p.insert(QStringLiteral("FullyCharged"), status == "Full");
    // A charging battery has power from somewhere, whatever the adapters say.
    p.insert(QStringLiteral("ExternalConnected"), external || charging);
    const qint64 cycles = battery->number("cycle_count").value_or(0);
    if (cycles > 0)
        p.insert(QStringLiteral("CycleCount"), cycles);
    put(p, "DesignCapacity", milliampHours(*battery, "charge_full_design", "energy_full_design"));
    put(p, "NominalChargeCapacity", milliampHours(*battery, "charge_full", "energy_full"));
    // Tenths of a degree. Beyond ±200 °C the sensor is broken: no reading
    // (and no overflow when scaling a driver's garbage).
    if (const auto temp = battery->number("temp"); temp && std::abs(*temp) <= 2000)
        p.insert(QStringLiteral("Temperature"), *temp * 10);
    if (watts > 0)
        p.insert(QStringLiteral("AdapterDetails"), QVariantMap{{QStringLiteral("Watts"), watts}});
    put(p, charging ? "AvgTimeToFull" : "AvgTimeToEmpty", minutes(*battery, charging));
    return p;
}
