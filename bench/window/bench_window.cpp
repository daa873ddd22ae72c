// SPDX-License-Identifier: GPL-3.0-or-later
// How long the settings window takes to open the first time, and the History
// tab to show a year of samples the first time. First-time costs (fonts,
// styles, Qt Charts) only show once per process, so every run is a fresh
// process: without arguments this program starts itself once per run and
// prints min / median / max of what the runs report.
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/SystemClock.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "settings/Prefs.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/FakeNotificationCenter.h"
#include "support/TempHome.h"
#include "window/HistoryTab.h"
#include "window/SettingsView.h"
#include "window/SettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTabWidget>
#include <QTextStream>
#include <algorithm>

namespace
{
constexpr int runs = 15;

// Waits until `w` has been painted once, then answers the time elapsed.
double untilPainted(QWidget *w, const QElapsedTimer &timer)
{
    struct PaintSeen : QObject {
        bool seen = false;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                seen = true;
            return false;
        }
    } filter;
    w->installEventFilter(&filter);
    while (!filter.seen)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double micros = static_cast<double>(timer.nsecsElapsed()) / 1000.0;
    w->removeEventFilter(&filter);
    return micros;
}

void writeYearOfHistory()
{
    const QString dir = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Voltquill");
    QDir().mkpath(dir);
    QJsonArray samples;
    for (int m = 1; m <= 12; ++m)
        samples.append(QJsonObject{
            {QStringLiteral("month"),
             static_cast<double>(QDateTime(QDate(2025, m, 1), QTime(0, 0)).toSecsSinceEpoch() -
                                 HealthSample::referenceEpoch)},
            {QStringLiteral("health"), 99 - m / 2},
            {QStringLiteral("cycles"), 40 + m * 9},
            {QStringLiteral("capacity"), 4100}});
    QFile file(dir + QStringLiteral("/verlauf.json"));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(samples).toJson(QJsonDocument::Compact));
}

int once(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The chart plugin as the agent finds it beside itself in the build tree.
    if (qEnvironmentVariableIsEmpty("VOLTQUILL_PLUGIN_DIR"))
        qputenv("VOLTQUILL_PLUGIN_DIR", VOLTQUILL_PLUGIN_BUILD_DIR);
    QApplication app(argc, argv);
    TempHome home;
    SettingsStore settings(home.path() + QStringLiteral("/config/Voltquill/settings.json"));
    Prefs::bind(&settings);
    writeYearOfHistory();

    SystemClock clock;
    FakeBatteryRegistry registry;
    registry.reported = BatteryReading{.percent = 72,
                                       .charging = true,
                                       .external = true,
                                       .cycles = 187,
                                       .designMah = 4382,
                                       .fullMah = 4123};
    auto client = std::make_unique<FakeChargeClient>();
    client->limit = 80;
    ChargeLimit chargeLimit(std::move(client));
    AppState state(chargeLimit, registry, clock);
    FakeNotificationCenter center;
    center.grant = false;
    Notifier notifier(center);
    History history(qEnvironmentVariable("XDG_DATA_HOME"));

    QElapsedTimer timer;
    timer.start();
    SettingsWindow window(
        {.state = state,
         .history = history,
         .notifier = notifier,
         .notificationsDenied = [](std::function<void(bool)> done) { done(false); },
         .onIconChange = {},
         .quit = {}});
    window.showWindow();
    const double open = untilPainted(window.view(), timer);

    QTabWidget *tabs = window.view()->tabs();
    timer.restart();
    tabs->setCurrentIndex(SettingsView::History);
    const double historyTab = untilPainted(tabs->currentWidget(), timer);

    QTextStream(stdout) << open << ' ' << historyTab << ' ' << history.samples().size() << '\n';
    return 0;
}

QString figures(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return QStringLiteral("median %1 ms (min %2, max %3, %4 runs)")
        .arg(values.at(values.size() / 2) / 1000.0, 0, 'f', 1)
        .arg(values.first() / 1000.0, 0, 'f', 1)
        .arg(values.last() / 1000.0, 0, 'f', 1)
        .arg(values.size());
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && QByteArray(argv[1]) == "--once")
        return once(argc, argv);

    QList<double> open, history, process;
    qsizetype samples = 0;
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QString::fromLocal8Bit(argv[0]), {QStringLiteral("--once")});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            QTextStream(stderr) << "run failed: " << child.readAllStandardError() << '\n';
            return 1;
        }
        process.append(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        if (parts.size() != 3)
            return 1;
        open.append(parts.at(0).toDouble());
        history.append(parts.at(1).toDouble());
        samples = parts.at(2).toLongLong();
    }
    QTextStream out(stdout);
    out << "settings window, first showWindow to first paint: " << figures(open) << '\n';
    out << "History tab with " << samples
        << " samples, first show to first paint: " << figures(history) << '\n';
    out << "whole process (start, open, History tab, exit): " << figures(process) << '\n';
    return 0;
}
