// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariantMap>
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

    // Reads the battery's property table from the registry; never fails:
    // no battery gives the default record.
    static BatteryInfo read(const BatteryRegistry &registry);

    // The reading algorithm on a property table with the registry's keys
    // ("CurrentCapacity", "IsCharging", "BatteryData", …); no table: default.
    static BatteryInfo fromProperties(const std::optional<QVariantMap> &properties);

    bool operator==(const BatteryInfo &) const = default;
};
