// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatteryInfo.h"

#include "app/BatteryRegistry.h"

#include <cmath>
#include <limits>

namespace
{
// Longer estimates are a driver's guess over a standstill, not a time.
constexpr qint64 longestEstimateMinutes = 65534;
} // namespace

BatteryInfo BatteryInfo::read(const BatteryRegistry &registry)
{
    return fromReading(registry.read());
}

BatteryInfo BatteryInfo::fromReading(const std::optional<BatteryReading> &reading)
{
    BatteryInfo b;
    if (!reading)
        return b;
    const BatteryReading &r = *reading;
    b.percent = r.percent.value_or(0);
    b.isCharging = r.charging;
    b.pluggedIn = r.external;
    b.fullyCharged = r.full;
    b.cycles = r.cycles.value_or(0);
    b.designCapacity = r.designMah.value_or(0);
    b.nominalCapacity = r.fullMah.value_or(0);
    b.temperatureC = static_cast<double>(r.tenthsCelsius.value_or(0)) / 10.0;
    b.adapterWatts = r.adapterWatts;

    if (b.designCapacity >= 1) {
        const double ratio =
            static_cast<double>(b.nominalCapacity) / static_cast<double>(b.designCapacity) * 100.0;
        // Clamped before the conversion: a driver may report anything.
        b.healthPercent = ratio >= 100.0     ? 100
                          : ratio <= -9.2e18 ? std::numeric_limits<qint64>::min()
                                             : static_cast<qint64>(std::round(ratio));
    }

    // Held at the limit on the adapter, neither estimate means anything.
    if (r.minutesLeft && (b.isCharging || !b.pluggedIn) && *r.minutesLeft >= 1 &&
        *r.minutesLeft <= longestEstimateMinutes)
        b.minutesRemaining = r.minutesLeft;

    b.hasBattery = true;
    return b;
}
