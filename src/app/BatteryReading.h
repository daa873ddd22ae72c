// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <optional>

// The battery as the driver reports it, in the agent's units; a value the
// driver does not give stays empty. Two batteries arrive as one reading.
struct BatteryReading {
    std::optional<qint64> percent{};
    bool charging = false;
    bool full = false;     // the driver's status "Full"
    bool external = false; // power from an adapter (or the battery charges)
    std::optional<qint64> cycles{};
    std::optional<qint64> designMah{};
    std::optional<qint64> fullMah{}; // what the battery holds now when full
    std::optional<qint64> tenthsCelsius{};
    qint64 adapterWatts = 0; // 0: unknown
    // Until full while charging, else until empty.
    std::optional<qint64> minutesLeft{};

    bool operator==(const BatteryReading &) const = default;
};
