// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryRegistry.h"

#include <QVariant>

// A registry whose property table a test sets; nothing means no battery.
class FakeBatteryRegistry : public BatteryRegistry
{
public:
    std::optional<QVariantMap> properties;
    mutable int reads = 0;

    // Sets one entry of the table; a battery appears where there was none.
    void set(const QString &key, const QVariant &value)
    {
        if (!properties)
            properties.emplace();
        properties->insert(key, value);
    }

    std::optional<QVariantMap> copyProperties() const override
    {
        ++reads;
        return properties;
    }
};
