// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryRegistry.h"

#include <QString>

class PowerSupply;

// Reads the battery from /sys/class/power_supply: the system batteries (two
// as one), every adapter and USB-PD source. Units are converted to the
// reading's: mAh, tenths of °C, watts, minutes.
class SysfsBatteryRegistry : public BatteryRegistry
{
public:
    // sysfsRoot: the folder holding class/power_supply.
    explicit SysfsBatteryRegistry(QString sysfsRoot);

    std::optional<BatteryReading> read() const override;

private:
    QString m_dir;
};
