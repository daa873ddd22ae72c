// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the median cost of refreshing the status button (unchanged: nothing
// drawn; a new level: icon rendered for the slot sizes the tray uses and handed to it) and
// of bringing the status menu's rows up to date, over a fake battery and client.
#include "menubar/ButtonImage.h"
#include "menubar/MenuIcon.h"
#include "menubar/MenuRows.h"
#include "settings/Prefs.h"
#include "support/TrayRig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{
double medianMicros(int rounds, const std::function<void()> &work)
{
    std::vector<double> times;
    times.reserve(rounds);
    for (int i = 0; i < rounds + 20; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        if (i >= 20) // warm-up rounds are not counted
            times.push_back(static_cast<double>(t.nsecsElapsed()) / 1000.0);
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    SettingsStore settings(config.filePath(QStringLiteral("Voltquill/settings.json")));
    Prefs::bind(&settings);
    QLoggingCategory::setFilterRules(QStringLiteral("qt.core.qobject.connect.warning=false"));

    TrayRig rig([](FakeChargeClient &c) { c.limit = 80; });
    rig.battery.reading().percent = 57;
    rig.battery.reading().charging = true;
    rig.plugIn(96);
    AppState &state = *rig.state;
    StatusItem &item = *rig.item;
    state.refresh();
    item.updateStatusItem();

    const int rounds = 500;
    std::printf("median over %d rounds, in microseconds\n", rounds);
    for (const qint64 style : {0, 1, 2}) {
        Prefs::setIconStyle(style);
        std::printf("refreshButton, style %lld, unchanged: %8.1f\n", static_cast<long long>(style),
                    medianMicros(rounds, [&] { item.refreshButton(); }));
    }
    // A new level each time: the picture is drawn and handed to the tray.
    Prefs::setIconStyle(0);
    int percent = 57;
    std::printf("refresh + refreshButton, new level:  %8.1f\n", medianMicros(rounds, [&] {
                    percent = percent == 57 ? 58 : 57;
                    rig.battery.reading().percent = percent;
                    state.refresh();
                    item.refreshButton();
                }));
    std::printf("MenuIcon render 2x, number and bolt: %8.1f\n", medianMicros(rounds, [] {
                    MenuIcon::image(57, true, Badge::charging, 80).render(2.0);
                }));
    std::printf("MenuIcon render 2x, bar and bolt:    %8.1f\n", medianMicros(rounds, [] {
                    MenuIcon::image(57, false, Badge::charging, 80).render(2.0);
                }));
    std::printf("every slot picture, number and bolt: %8.1f\n", medianMicros(rounds, [] {
                    ButtonImage::render(MenuIcon::image(57, true, Badge::charging, 80), Qt::white);
                }));
    // The rows are kept and updated in place: an opening compares them with the state and
    // changes none.
    MenuRows rows;
    rows.update(state);
    std::printf("updating the menu rows in place:     %8.1f\n",
                medianMicros(rounds, [&] { rows.update(state); }));
    std::printf("opening the menu (refresh, rows):    %8.1f\n",
                medianMicros(rounds, [&] { item.menuNeedsUpdate(); }));
    return 0;
}
