// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryRegistry.h"

#include <QString>

class PowerSupply;

// Builds the battery's property table from /sys/class/power_supply: the first
// system battery, every adapter and USB-PD source. Units are converted to the
// table's: mAh, hundredths of °C, watts, minutes.
class SysfsBatteryRegistry : public BatteryRegistry
{
public:
    // sysfsRoot: the folder holding class/power_supply.
    explicit SysfsBatteryRegistry(QString sysfsRoot);

    std::optional<QVariantMap> copyProperties() const override;

private:
    QString m_dir;
};
