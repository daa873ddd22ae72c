// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one AppState::refresh() reading a fixture sysfs tree.
#include "Measure.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/SystemClock.h"
#include "platform/SysfsBatteryRegistry.h"
#include "settings/Prefs.h"
#include "support/FakeChargeClient.h"
#include "support/SysfsTree.h"
#include "support/TempHome.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TempHome home;
    SettingsStore settings(home.path() + QStringLiteral("/config/Voltquill/settings.json"));
    Prefs::bind(&settings);
    SysfsTree tree;
    tree.add("AC", {{"type", "Mains"}, {"online", "1"}});
    tree.add("BAT0", {{"type", "Battery"},
                      {"status", "Charging"},
                      {"capacity", "57"},
                      {"cycle_count", "312"},
                      {"voltage_min_design", "11400000"},
                      {"energy_full_design", "57000000"},
                      {"energy_full", "51300000"},
                      {"energy_now", "32832000"},
                      {"power_now", "10260000"},
                      {"temp", "301"}});
    tree.add("ucsi-source-psy-USBC000:001", {{"type", "USB"}, {"online", "0"}});

    SystemClock clock;
    SysfsBatteryRegistry registry(tree.root());
    auto client = std::make_unique<FakeChargeClient>();
    client->limit = 80;
    ChargeLimit chargeLimit(std::move(client));
    AppState state(chargeLimit, registry, clock);

    measure("BatteryInfo::read (sysfs)", 2000, [&] { BatteryInfo::read(registry); });
    measure("AppState::refresh (sysfs, in-process client)", 2000, [&] { state.refresh(); });
    return 0;
}
