// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryReading.h"

#include <optional>

class BatteryRegistry;

// The battery snapshot: a plain value read anew at every refresh.
struct BatteryInfo {
    qint64 percent = 0;
    bool isCharging = false;
    bool pluggedIn = false;
    bool fullyCharged = false;
    qint64 cycles = 0;
    qint64 healthPercent = 0;
    qint64 designCapacity = 0;  // mAh
    qint64 nominalCapacity = 0; // mAh
    double temperatureC = 0.0;
    qint64 adapterWatts = 0;
    std::optional<qint64> minutesRemaining;
    bool hasBattery = false;

    // Reads the battery from the registry; never fails: no battery gives the
    // default record.
    static BatteryInfo read(const BatteryRegistry &registry);

    // The rules for health and the time estimate, applied to a reading; no
    // reading: the default record.
    static BatteryInfo fromReading(const std::optional<BatteryReading> &reading);

    bool operator==(const BatteryInfo &) const = default;
};
