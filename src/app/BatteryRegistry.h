// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVariantMap>
#include <optional>

// The battery's entry in the power-management registry: a property table with
// the keys "CurrentCapacity", "IsCharging", "ExternalConnected", "FullyCharged",
// "CycleCount", "DesignCapacity", "NominalChargeCapacity", "AppleRawMaxCapacity",
// "Temperature" (hundredths of °C), "AdapterDetails" {"Watts"}, "AvgTimeToFull",
// "AvgTimeToEmpty" (minutes) and an optional nested "BatteryData" table.
// Integers are qint64 (or any integral QVariant), Booleans bool.
class BatteryRegistry
{
public:
    virtual ~BatteryRegistry() = default;

    // The property table of the first battery, or nothing when there is none
    // or it cannot be read.
    virtual std::optional<QVariantMap> copyProperties() const = 0;
};
