// SPDX-License-Identifier: GPL-3.0-or-later
// The real settings window on fakes at the platform edge, shown until the
// process is ended: for tests that read it from outside, through the
// accessibility bus. A battery at 72 % charging to a limit of 80, the
// schedule on, a year of history. Prints "bereit" once the window is shown.
#include "WindowRig.h"
#include "settings/Key.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Voltquill"));
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    Prefs::bind(
        new SettingsStore(home.filePath(QStringLiteral("config/Voltquill/settings.json")), &app));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    loadStringTable();
    Prefs::d().setBool(Key::scheduleOn, true);
    QList<MonthSample> year;
    for (int m = 1; m <= 12; ++m)
        year.append({2025, m, 99 - m, 40 + m * 9});
    writeHistoryFile(year);

    WindowRig rig;
    rig.clock.at = QDateTime(QDate(2026, 1, 12), QTime(18, 30));
    rig.window->showWindow();
    std::puts("bereit");
    std::fflush(stdout);
    return QApplication::exec();
}
