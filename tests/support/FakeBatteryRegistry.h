// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryRegistry.h"

// A registry whose reading a test sets; nothing means no battery.
class FakeBatteryRegistry : public BatteryRegistry
{
public:
    std::optional<BatteryReading> reported;
    mutable int reads = 0;

    // The reading to change; a battery appears where there was none.
    BatteryReading &reading()
    {
        if (!reported)
            reported.emplace();
        return *reported;
    }

    std::optional<BatteryReading> read() const override
    {
        ++reads;
        return reported;
    }
};
