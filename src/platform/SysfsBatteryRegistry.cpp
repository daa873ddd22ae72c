// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SysfsBatteryRegistry.h"

#include "shared/PowerSupply.h"
#include "shared/SysfsPaths.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// The voltage energy is divided by: the design minimum, else what the driver
// gives, else 10 V.
qint64 microvolts(const PowerSupply &battery)
{
    for (const char *voltage : {"voltage_min_design", "voltage_max_design", "voltage_now"})
        if (const qint64 uV = battery.number(voltage).value_or(0); uV > 0)
            return uV;
    return 10'000'000;
}

// µWh and µV both appear; mAh = µWh / µV × 1000.
std::optional<qint64> milliampHours(const PowerSupply &battery, const char *charge,
                                    const char *energy)
{
    if (const auto uAh = battery.number(charge))
        return *uAh / 1000;
    const auto uWh = battery.number(energy);
    if (!uWh)
        return std::nullopt;
    return static_cast<qint64>(std::llround(static_cast<double>(*uWh) /
                                            static_cast<double>(microvolts(battery)) * 1000.0));
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

// One battery's reading, as if it were the only one.
BatteryReading readingOf(const PowerSupply &battery, bool external, qint64 watts)
{
    BatteryReading r;
    const QByteArray status = battery.text("status").value_or(QByteArray());
    r.charging = status == "Charging";
    r.full = status == "Full";
    r.percent = battery.number("capacity");
    if (!r.percent) { // some ACPI batteries give no capacity attribute
        const auto now = battery.number("energy_now") ? battery.number("energy_now")
                                                      : battery.number("charge_now");
        const auto full = battery.number("energy_full") ? battery.number("energy_full")
                                                        : battery.number("charge_full");
        if (now && full && *full > 0)
            r.percent = static_cast<qint64>(std::llround(100.0 * *now / *full));
    }
    // A charging battery has power from somewhere, whatever the adapters say.
    r.external = external || r.charging;
    if (const qint64 cycles = battery.number("cycle_count").value_or(0); cycles > 0)
        r.cycles = cycles;
    r.designMah = milliampHours(battery, "charge_full_design", "energy_full_design");
    r.fullMah = milliampHours(battery, "charge_full", "energy_full");
    // Beyond ±200 °C the sensor is broken: no reading.
    if (const auto temp = battery.number("temp"); temp && std::abs(*temp) <= 2000)
        r.tenthsCelsius = temp;
    r.adapterWatts = std::max<qint64>(watts, 0);
    r.minutesLeft = minutes(battery, r.charging);
    return r;
}

// What a battery holds, can hold and moves, in mAh and mA, so batteries
// that report energy and batteries that report charge add up.
struct Amounts {
    double now = 0;
    double full = 0;
    double rate = 0;
};

std::optional<Amounts> amountsOf(const PowerSupply &battery)
{
    const auto now = milliampHours(battery, "charge_now", "energy_now");
    const auto full = milliampHours(battery, "charge_full", "energy_full");
    if (!now || !full || *full <= 0 || *now < 0 || *now > 2 * *full)
        return std::nullopt;
    Amounts a{static_cast<double>(*now), static_cast<double>(*full), 0};
    if (const auto uA = battery.number("current_now"))
        a.rate = std::fabs(static_cast<double>(*uA)) / 1000.0;
    else if (const auto uW = battery.number("power_now"))
        a.rate =
            std::fabs(static_cast<double>(*uW)) / static_cast<double>(microvolts(battery)) * 1000.0;
    return a;
}

// Two batteries as the desktop shows them: one percentage over both, the
// capacities summed, the worse cycle count and temperature, one estimate.
BatteryReading combined(const QList<BatteryReading> &readings,
                        const QList<std::optional<Amounts>> &amounts)
{
    using Field = std::optional<qint64> BatteryReading::*;
    const auto sum = [&](Field field) {
        std::optional<qint64> total;
        for (const BatteryReading &r : readings)
            if (r.*field)
                total = total.value_or(0) + *(r.*field);
        return total;
    };
    const auto highest = [&](Field field) {
        std::optional<qint64> top;
        for (const BatteryReading &r : readings)
            if (r.*field)
                top = std::max(top.value_or(std::numeric_limits<qint64>::min()), *(r.*field));
        return top;
    };
    BatteryReading p = readings.first();
    p.charging = std::any_of(readings.begin(), readings.end(),
                             [](const BatteryReading &r) { return r.charging; });
    p.external = std::any_of(readings.begin(), readings.end(),
                             [](const BatteryReading &r) { return r.external; });
    p.full = std::all_of(readings.begin(), readings.end(),
                         [](const BatteryReading &r) { return r.full; });
    p.cycles = highest(&BatteryReading::cycles);
    p.tenthsCelsius = highest(&BatteryReading::tenthsCelsius);
    p.designMah = sum(&BatteryReading::designMah);
    p.fullMah = sum(&BatteryReading::fullMah);
    p.percent.reset();
    p.minutesLeft.reset();

    const bool measured =
        std::all_of(amounts.begin(), amounts.end(),
                    [](const std::optional<Amounts> &a) { return a.has_value(); });
    if (measured) {
        Amounts total;
        for (const auto &a : amounts) {
            total.now += a->now;
            total.full += a->full;
            total.rate += a->rate;
        }
        p.percent = static_cast<qint64>(std::llround(100.0 * total.now / total.full));
        const double left = p.charging ? total.full - total.now : total.now;
        if (total.rate > 0 && left >= 0)
            p.minutesLeft = static_cast<qint64>(std::llround(left / total.rate * 60.0));
    } else {
        // Without amounts, the mean of the percentages.
        qint64 percent = 0;
        int counted = 0;
        for (const BatteryReading &r : readings)
            if (r.percent) {
                percent += *r.percent;
                ++counted;
            }
        if (counted > 0)
            p.percent = static_cast<qint64>(std::llround(static_cast<double>(percent) / counted));
    }
    return p;
}
} // namespace

SysfsBatteryRegistry::SysfsBatteryRegistry(QString sysfsRoot)
    : m_dir(SysfsPaths::powerSupplyDir(sysfsRoot))
{
}

std::optional<BatteryReading> SysfsBatteryRegistry::read() const
{
    // Read at every tick: each attribute read once, relative to its supply.
    const QList<PowerSupply> supplies = PowerSupply::snapshot(m_dir);
    QList<const PowerSupply *> batteries;
    bool external = false;
    qint64 watts = 0;
    for (const PowerSupply &supply : supplies) {
        const QByteArray type = supply.type();
        if (type == "Battery" && !supply.isDeviceScope()) {
            if (supply.text("present").value_or("1") != "0")
                batteries.append(&supply);
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
    if (batteries.isEmpty())
        return std::nullopt;
    if (batteries.size() == 1)
        return readingOf(*batteries.first(), external, watts);

    QList<BatteryReading> readings;
    QList<std::optional<Amounts>> amounts;
    for (const PowerSupply *battery : batteries) {
        readings << readingOf(*battery, external, watts);
        amounts << amountsOf(*battery);
    }
    return combined(readings, amounts);
}
