#pragma once

// Fakes at the platform edge and the real window built on them. Every test
// executable points XDG_DATA_HOME at a temporary folder and binds a settings
// store there before the first use of the settings (useTemporaryHome).

#include "app/AppState.h"
#include "app/BatteryRegistry.h"
#include "app/ChargeLimit.h"
#include "app/Clock.h"
#include "app/L.h"
#include "app/LoginItem.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "policy/SilentNotificationCenter.h"
#include "settings/Prefs.h"
#include "window/SettingsView.h"
#include "window/SettingsWindow.h"
#include "window/SystemSettingsPanes.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

inline QString dataHome()
{
    return qEnvironmentVariable("XDG_DATA_HOME");
}

// A property table as the battery registry gives it.
inline QVariantMap batteryTable(qint64 percent, bool charging, bool plugged, qint64 cycles = 123,
                                qint64 design = 4382, qint64 nominal = 4123,
                                qint64 temperatureHundredths = 3014, qint64 watts = 96)
{
    return {{QStringLiteral("CurrentCapacity"), percent},
            {QStringLiteral("IsCharging"), charging},
            {QStringLiteral("ExternalConnected"), plugged},
            {QStringLiteral("FullyCharged"), false},
            {QStringLiteral("CycleCount"), cycles},
            {QStringLiteral("DesignCapacity"), design},
            {QStringLiteral("NominalChargeCapacity"), nominal},
            {QStringLiteral("Temperature"), temperatureHundredths},
            {QStringLiteral("AdapterDetails"), QVariantMap{{QStringLiteral("Watts"), watts}}}};
}

class FakeRegistry : public BatteryRegistry
{
public:
    std::optional<QVariantMap> table;
    std::optional<QVariantMap> copyProperties() const override { return table; }
};

class FixedClock : public Clock
{
public:
    QDateTime at = QDateTime(QDate(2026, 3, 9), QTime(10, 0)); // a Monday
    QDateTime now() const override { return at; }
};

// The charge service as the agent sees it: a limit, suspended or not.
class FakeClient : public ChargeClient
{
public:
    bool supported = true;
    QList<qint64> limits{80, 85, 90, 95, 100};
    quint64 limit = 100;
    qint64 enabled = 1;
    std::optional<ChargeError> failure;
    QList<qint64> setCalls;
    int fullOnceCalls = 0;
    int enableCalls = 0;
    int limitReads = 0;

    bool isMCLSupported() override { return supported; }
    std::optional<QList<qint64>> availableChargeLimits() override { return limits; }
    quint64 getMCLLimit() override
    {
        ++limitReads;
        return limit;
    }
    qint64 isMCLCurrentlyEnabled() override { return enabled; }
    std::optional<ChargeError> setMCLLimit(quint8 value) override
    {
        setCalls.append(value);
        if (failure)
            return failure;
        limit = value;
        return std::nullopt;
    }
    std::optional<ChargeError> temporarilyDisableMCL() override
    {
        ++fullOnceCalls;
        if (failure)
            return failure;
        limit = 100;
        return std::nullopt;
    }
    std::optional<ChargeError> enableMCL() override
    {
        ++enableCalls;
        if (failure)
            return failure;
        limit = static_cast<quint64>(Prefs::chosenLimit().value_or(100));
        return std::nullopt;
    }
};

// Counts the requests for permission; the window's checks of the refusal go
// through checkDenied.
class FakeCenter : public SilentNotificationCenter
{
public:
    bool granted = true;
    int requests = 0;
    int checks = 0;
    void requestAuthorization(std::function<void(bool)> completion) override
    {
        ++requests;
        if (completion)
            completion(granted);
    }
    void checkDenied(const std::function<void(bool)> &completion)
    {
        ++checks;
        completion(!granted);
    }
};

class FakeLoginItem : public LoginItem
{
public:
    bool enabled = false;
    bool fail = false;
    int registers = 0;
    int unregisters = 0;
    bool isEnabled() const override { return enabled; }
    bool registerItem() override
    {
        ++registers;
        if (!fail)
            enabled = true;
        return !fail;
    }
    bool unregisterItem() override
    {
        ++unregisters;
        if (!fail)
            enabled = false;
        return !fail;
    }
};

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
    std::optional<QVariantMap> battery = batteryTable(72, true, true);
    quint64 limit = 80;
    qint64 enabled = 1;
    QList<qint64> limits{80, 85, 90, 95, 100};
    bool loginEnabled = false;
};

// The agent's parts around the real settings window.
struct WindowRig {
    explicit WindowRig(const RigSetup &setup = RigSetup{})
        : client(new FakeClient), chargeLimit(std::unique_ptr<ChargeClient>(client))
    {
        registry.table = setup.battery;
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

    FakeRegistry registry;
    FixedClock clock;
    FakeClient *client; // owned by chargeLimit
    ChargeLimit chargeLimit;
    std::unique_ptr<AppState> state;
    FakeCenter center;
    Notifier notifier{center};
    std::unique_ptr<History> history;
    FakeLoginItem login;
    FakePanes panes;
    int iconChanges = 0;
    int quits = 0;
    QStringList otherWriters; // what the Charge tab is told about other writers
    std::unique_ptr<SettingsWindow> window;
};
