// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryReading.h"

#include <optional>

// Where the agent reads its battery from.
class BatteryRegistry
{
public:
    virtual ~BatteryRegistry() = default;

    // The battery now, or nothing when there is none or it cannot be read.
    virtual std::optional<BatteryReading> read() const = 0;
};
