// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of History::record per tick with ten years (120 months) of samples:
// the usual unchanged tick, and a tick whose reading changed (a rewrite).
#include "Measure.h"
#include "policy/History.h"
#include "settings/Prefs.h"
#include "support/TempHome.h"

#include <QCoreApplication>
#include <QTemporaryDir>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TempHome home;
    SettingsStore settings(home.path() + QStringLiteral("/config/Voltquill/settings.json"));
    Prefs::bind(&settings);
    QTemporaryDir data;

    BatteryInfo info;
    info.hasBattery = true;
    info.healthPercent = 100;
    info.cycles = 0;
    info.nominalCapacity = 5000;

    History history(data.path());
    QDateTime month(QDate(2016, 1, 15), QTime(12, 0));
    for (int i = 0; i < 120; ++i, month = month.addMonths(1)) {
        info.healthPercent = 100 - i / 6;
        info.cycles = 40 * i;
        info.nominalCapacity = 5000 - 8 * i;
        history.record(info, month);
    }
    const QDateTime now = month.addMonths(-1);
    history.record(info, now);
    QTextStream(stdout) << "samples: " << history.samples().size() << "\n";

    measure("History::record, unchanged (120 samples)", 20000, [&] { history.record(info, now); });
    measure("History::record, changed: rewrite (120 samples)", 500, [&] {
        ++info.cycles;
        history.record(info, now);
    });
    return 0;
}
