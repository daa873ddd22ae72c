// SPDX-License-Identifier: GPL-3.0-or-later
// Round trips to the running charge service on a private bus (a read, a
// SetLimit), one agent refresh() and one whole tick() against it; prints medians.
#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/SystemClock.h"
#include "platform/DBusChargeClient.h"
#include "platform/SysfsBatteryRegistry.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "settings/Prefs.h"
#include "support/FakeNotificationCenter.h"
#include "support/ServiceRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <functional>

namespace
{
constexpr int Rounds = 2000;

struct Figures {
    double median;
    double p90;
};

Figures measure(const std::function<void()> &work)
{
    for (int i = 0; i < 50; ++i)
        work(); // warm up
    QList<qint64> times;
    times.reserve(Rounds);
    QElapsedTimer timer;
    for (int i = 0; i < Rounds; ++i) {
        timer.start();
        work();
        times.append(timer.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    return {times.at(Rounds / 2) / 1000.0, times.at(Rounds * 9 / 10) / 1000.0};
}

void print(const char *what, const Figures &figures)
{
    QTextStream(stdout) << QStringLiteral("%1  median %2 µs  p90 %3 µs\n")
                               .arg(QLatin1String(what), -44)
                               .arg(figures.median, 8, 'f', 1)
                               .arg(figures.p90, 8, 'f', 1);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    SettingsStore settings(home.filePath(QStringLiteral("config/Voltquill/settings.json")));
    Prefs::bind(&settings);

    ServiceRig rig(ServiceRig::Mode::Session);
    if (!rig.start()) {
        qCritical("dbus-daemon did not start");
        return 1;
    }
    FakeSysfs &sysfs = rig.sysfs();
    sysfs.addSupply(QStringLiteral("BAT0"), {{"type", "Battery"},
                                             {"status", "Not charging"},
                                             {"capacity", "80"},
                                             {"energy_full_design", "57000000"},
                                             {"energy_full", "50000000"},
                                             {"energy_now", "40000000"},
                                             {"voltage_min_design", "11550000"},
                                             {"power_now", "0"},
                                             {"cycle_count", "120"},
                                             {"temp", "298"},
                                             {"charge_control_end_threshold", "100"}});
    sysfs.addAdapter(true);
    ServiceProcess &service = rig.service();
    if (!service.start()) {
        qCritical("voltquill-charged did not start");
        return 1;
    }

    DBusChargeClient client(rig.connection());
    ChargeLimit chargeLimit(std::make_unique<DBusChargeClient>(rig.connection()));
    SysfsBatteryRegistry registry(sysfs.root());
    SystemClock clock;
    AppState appState(chargeLimit, registry, clock);

    QTextStream(stdout) << "voltquill-charged on a private bus, " << Rounds << " rounds each\n";
    print("Limit read, properties known (no call)", measure([&] { client.limitInForce(); }));
    // As the agent reads it: the battery's end threshold from sysfs.
    DBusChargeClient reader(rig.connection(), sysfs.root());
    print("Limit read, threshold from sysfs (no call)", measure([&] { reader.limitInForce(); }));
    print("Limit read after a command (GetAll call)", measure([&] {
              client.resumeLimit();
              client.limitInForce();
          }));
    print("Enable round trip (refused: no limit)", measure([&] { client.resumeLimit(); }));
    quint8 next = 80;
    print("SetLimit round trip (80 / 85 in turn)", measure([&] {
              client.setLimit(next);
              next = next == 80 ? 85 : 80;
          }));

    appState.setLimit(80);
    print("refresh(), limit in force", measure([&] { appState.refresh(); }));
    appState.chargeFullOnce();
    print("refresh(), suspended", measure([&] { appState.refresh(); }));
    appState.reEnable();

    // A whole tick as the timer runs it: schedule, refresh, notifications,
    // history; without a tray icon (bench/menubar measures the button).
    FakeNotificationCenter center;
    center.grant = false;
    Notifier notifier(center);
    History history(home.filePath(QStringLiteral("data")));
    AppDelegate delegate({.state = appState, .notifier = notifier, .history = history});
    QCoreApplication::processEvents();
    print("tick(), service on a private bus", measure([&] { delegate.tick(); }));
    return 0;
}
