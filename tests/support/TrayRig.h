// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "menubar/StatusItem.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/FakeWindow.h"
#include "support/FixedClock.h"

#include <functional>
#include <memory>

// The status item over a real AppState, with the fakes at the platform edge,
// for tests that link the user interface. The battery stands at 50 % on
// battery, 123 cycles at 92 % health; the client keeps a limit.
struct TrayRig {
    FakeBatteryRegistry battery;
    FixedClock clock;
    FakeChargeClient *client = nullptr;
    std::unique_ptr<ChargeLimit> chargeLimit;
    std::unique_ptr<AppState> state;
    FakeWindow window;
    std::unique_ptr<StatusItem> item;

    // `setUp` sees the client before the state first asks it. By default a
    // tray is there; empty options leave the question to Qt.
    explicit TrayRig(const std::function<void(FakeChargeClient &)> &setUp = {},
                     StatusItem::Options options = {.trayAvailable = [] { return true; }})
    {
        battery.reported =
            BatteryReading{.percent = 50, .cycles = 123, .designMah = 5000, .fullMah = 4600};
        auto fake = std::make_unique<FakeChargeClient>();
        client = fake.get();
        client->enabled = 1;
        if (setUp)
            setUp(*client);
        chargeLimit = std::make_unique<ChargeLimit>(std::move(fake));
        state = std::make_unique<AppState>(*chargeLimit, battery, clock);
        item = std::make_unique<StatusItem>(*state, &window, std::move(options));
    }

    // On the adapter, which reports `watts` (0: not yet known).
    void plugIn(qint64 watts = 0)
    {
        battery.reading().external = true;
        battery.reading().adapterWatts = watts;
    }
};
