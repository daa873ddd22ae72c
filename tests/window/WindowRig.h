// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Fakes at the platform edge and the real window built on them. Every test
// executable points XDG_DATA_HOME at a temporary folder and binds a settings
// store there before the first use of the settings (useTemporaryHome).

#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/L.h"
#include "app/SystemSettingsPanes.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "settings/Prefs.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/FakeLoginItem.h"
#include "support/FakeNotificationCenter.h"
#include "support/FixedClock.h"
#include "window/SettingsView.h"
#include "window/SettingsWindow.h"
#include "window/Stepper.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStyleOptionSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

inline QTemporaryDir &temporaryHome()
{
    static QTemporaryDir dir;
    return dir;
}

inline void useTemporaryHome()
{
    QVERIFY(temporaryHome().isValid());
    // One store for the whole run, owned by the application.
    Prefs::bind(new SettingsStore(
        temporaryHome().filePath(QStringLiteral("config/Voltquill/settings.json")),
        QCoreApplication::instance()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(temporaryHome().filePath(QStringLiteral("data"))));
    loadStringTable();
}

// A click where the user clicks: near the left edge, on a box's indicator.
inline void click(QWidget *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// One step of a stepper as the user makes it: an arrow key, or a click on its
// up or down arrow.
enum class Press { Key, Mouse };
inline void step(Stepper *stepper, bool up, Press how)
{
    if (how == Press::Key) {
        QTest::keyClick(stepper, up ? Qt::Key_Up : Qt::Key_Down);
        return;
    }
    QStyleOptionSpinBox option;
    option.initFrom(stepper);
    option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    const QRect arrow = stepper->style()->subControlRect(
        QStyle::CC_SpinBox, &option, up ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown, stepper);
    QTest::mouseClick(stepper, Qt::LeftButton, {}, arrow.center());
}

inline QString dataHome()
{
    return qEnvironmentVariable("XDG_DATA_HOME");
}

// A battery as the driver reports it.
inline BatteryReading batteryReading(qint64 percent, bool charging, bool plugged,
                                     qint64 cycles = 123, qint64 design = 4382, qint64 full = 4123,
                                     qint64 tenthsCelsius = 301, qint64 watts = 96)
{
    return {.percent = percent,
            .charging = charging,
            .external = plugged,
            .cycles = cycles,
            .designMah = design,
            .fullMah = full,
            .tenthsCelsius = tenthsCelsius,
            .adapterWatts = watts};
}

class FakePanes : public SystemSettingsPanes
{
public:
    QList<Pane> opened;
    std::optional<QString> answer;
    std::optional<QString> open(Pane pane) override
    {
        opened.append(pane);
        return answer;
    }
};

// Writes verlauf.json in the history file's format before a History loads it.
// Months are given as local calendar months.
struct MonthSample {
    int year;
    int month;
    qint64 health;
    qint64 cycles;
};

inline double referenceSeconds(const QDateTime &at)
{
    return static_cast<double>(at.toSecsSinceEpoch() - HealthSample::referenceEpoch);
}

inline void writeHistoryFile(const QList<MonthSample> &specs)
{
    QDir().mkpath(dataHome() + QStringLiteral("/Voltquill"));
    QJsonArray array;
    for (const MonthSample &s : specs)
        array.append(
            QJsonObject{{QStringLiteral("month"),
                         referenceSeconds(QDateTime(QDate(s.year, s.month, 1), QTime(0, 0)))},
                        {QStringLiteral("health"), s.health},
                        {QStringLiteral("cycles"), s.cycles},
                        {QStringLiteral("capacity"), 4000}});
    QFile file(dataHome() + QStringLiteral("/Voltquill/verlauf.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

inline void removeHistoryFile()
{
    QFile::remove(dataHome() + QStringLiteral("/Voltquill/verlauf.json"));
}

struct RigSetup {
    std::optional<BatteryReading> battery = batteryReading(72, true, true);
    quint64 limit = 80;
    qint64 enabled = 1;
    QList<qint64> limits{80, 85, 90, 95, 100};
    bool loginEnabled = false;
};

// The agent's parts around the real settings window.
struct WindowRig {
    explicit WindowRig(const RigSetup &setup = RigSetup{})
        : client(new FakeChargeClient), chargeLimit(std::unique_ptr<ChargeClient>(client))
    {
        registry.reported = setup.battery;
        client->limit = setup.limit;
        client->enabled = setup.enabled;
        client->limits = setup.limits;
        login.enabled = setup.loginEnabled;
        state = std::make_unique<AppState>(chargeLimit, registry, clock);
        history = std::make_unique<History>(dataHome());
        window = std::make_unique<SettingsWindow>(
            WindowParts{.state = *state,
                        .history = *history,
                        .notifier = notifier,
                        .notificationsDenied =
                            [this](std::function<void(bool)> done) { center.checkDenied(done); },
                        .loginItem = &login,
                        .panes = &panes,
                        .onIconChange = [this] { ++iconChanges; },
                        .quit = [this] { ++quits; },
                        .otherThresholdWriters = [this] { return otherWriters; }});
    }

    // Opens the window (as the menu would) and shows the tab.
    template <typename Tab> Tab *open(int index)
    {
        window->showWindow();
        QTabWidget *tabs = window->view()->tabs();
        tabs->setCurrentIndex(index);
        auto *tab = qobject_cast<Tab *>(tabs->widget(index));
        [&] { QVERIFY(QTest::qWaitForWindowExposed(window->view())); }();
        return tab;
    }

    FakeBatteryRegistry registry;
    FixedClock clock;
    FakeChargeClient *client; // owned by chargeLimit
    ChargeLimit chargeLimit;
    std::unique_ptr<AppState> state;
    FakeNotificationCenter center;
    Notifier notifier{center};
    std::unique_ptr<History> history;
    FakeLoginItem login;
    FakePanes panes;
    int iconChanges = 0;
    int quits = 0;
    QStringList otherWriters; // what the Charge tab is told about other writers
    std::unique_ptr<SettingsWindow> window;
};
