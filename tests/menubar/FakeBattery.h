#pragma once

#include "app/BatteryRegistry.h"
#include "support/FakeWindow.h"
#include "support/FixedClock.h"

// The battery's property table, set by the test; no battery when `present` is false.
class FakeBattery : public BatteryRegistry
{
public:
    bool present = true;
    qint64 percent = 50;
    bool charging = false;
    bool pluggedIn = false;
    qint64 adapterWatts = 0;
    qint64 cycles = 123;
    qint64 design = 5000;
    qint64 nominal = 4600; // 92 % health

    std::optional<QVariantMap> copyProperties() const override
    {
        if (!present)
            return std::nullopt;
        QVariantMap p{{QStringLiteral("CurrentCapacity"), percent},
                      {QStringLiteral("IsCharging"), charging},
                      {QStringLiteral("ExternalConnected"), pluggedIn},
                      {QStringLiteral("FullyCharged"), false},
                      {QStringLiteral("CycleCount"), cycles},
                      {QStringLiteral("DesignCapacity"), design},
                      {QStringLiteral("NominalChargeCapacity"), nominal}};
        if (pluggedIn)
            p.insert(QStringLiteral("AdapterDetails"),
                     QVariantMap{{QStringLiteral("Watts"), adapterWatts}});
        return p;
    }
};
