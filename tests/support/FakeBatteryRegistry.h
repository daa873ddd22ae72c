#pragma once

#include "app/BatteryRegistry.h"

// A registry whose property table a test sets; nothing means no battery.
class FakeBatteryRegistry : public BatteryRegistry
{
public:
    std::optional<QVariantMap> properties;
    mutable int reads = 0;

    std::optional<QVariantMap> copyProperties() const override
    {
        ++reads;
        return properties;
    }
};
