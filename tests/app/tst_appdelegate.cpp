// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/LoginItem.h"
#include "app/StatusItemView.h"
#include "app/SystemClock.h"
#include "app/SystemEvents.h"
#include "app/WindowView.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/FakeLoginItem.h"
#include "support/FakeNotificationCenter.h"
#include "support/FakeWindow.h"
#include "support/TempHome.h"

#include <QTest>

namespace
{
// Everything the delegate reaches, writing one shared log.
struct Log {
    QStringList lines;
};

class LoggingRegistry : public FakeBatteryRegistry
{
public:
    explicit LoggingRegistry(Log &log) : m_log(log) {}
    std::optional<BatteryReading> read() const override
    {
        m_log.lines << QStringLiteral("read battery");
        return FakeBatteryRegistry::read();
    }

private:
    Log &m_log;
};

class FakeItem : public StatusItemView
{
public:
    explicit FakeItem(Log &log) : m_log(log) {}
    void updateStatusItem() override { m_log.lines << QStringLiteral("updateStatusItem"); }
    void refreshButton() override { m_log.lines << QStringLiteral("refreshButton"); }

private:
    Log &m_log;
};

class FakeEvents : public SystemEvents
{
public:
    bool started = false;
    bool start() override { return started = true; }
    void plug() { Q_EMIT powerSourceChanged(); }
    void wake() { Q_EMIT didWake(); }
};
} // namespace

class TestAppDelegate : public QObject
{
    Q_OBJECT

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
    SystemClock m_clock;

    struct Rig {
        Log log;
        LoggingRegistry registry{log};
        FakeChargeClient *client = nullptr;
        std::unique_ptr<ChargeLimit> chargeLimit;
        std::unique_ptr<AppState> state;
        FakeNotificationCenter center;
        std::unique_ptr<Notifier> notifier;
        std::unique_ptr<History> history;
        FakeItem item{log};
        FakeWindow window;
        FakeLoginItem loginItem;
        FakeEvents events;
        std::unique_ptr<AppDelegate> delegate;
    };

    std::unique_ptr<Rig> makeRig(bool supported = true)
    {
        auto rig = std::make_unique<Rig>();
        auto client = std::make_unique<FakeChargeClient>();
        client->supported = supported;
        rig->client = client.get();
        rig->chargeLimit = std::make_unique<ChargeLimit>(std::move(client));
        rig->state = std::make_unique<AppState>(*rig->chargeLimit, rig->registry, m_clock);
        rig->center.grant = false; // no notification service
        rig->notifier = std::make_unique<Notifier>(rig->center);
        rig->history = std::make_unique<History>(m_home.path());
        rig->delegate = std::make_unique<AppDelegate>(
            AppDelegate::Parts{*rig->state, *rig->notifier, *rig->history, &rig->loginItem,
                               &rig->events, &rig->item, &rig->window});
        rig->log.lines.clear();
        rig->client->sent.clear();
        return rig;
    }

private Q_SLOTS:
    void init() { Prefs::d().clear(); }

    void tickKeepsOldSnapshotRefreshesThenRedraws()
    {
        auto rig = makeRig();
        rig->registry.reported = BatteryReading{.percent = 50};
        rig->state->refresh();
        rig->registry.reported = BatteryReading{.percent = 49};
        rig->log.lines.clear();
        rig->client->sent.clear();

        rig->delegate->tick();
        QCOMPARE(rig->log.lines, (QStringList{"read battery", "refreshButton"}));
        QCOMPARE(rig->client->sent.first(), QStringLiteral("getMCLLimit"));
        QCOMPARE(rig->state->battery().percent, 49);
    }

    void launchOrderAndSources()
    {
        auto rig = makeRig();
        rig->loginItem.enabled = true;
        rig->loginItem.fail = true; // a failing registration is ignored
        rig->delegate->applicationDidFinishLaunching();
        QCOMPARE(rig->log.lines, QStringList{"updateStatusItem"}); // no tick at launch
        QCOMPARE(rig->loginItem.registers, 1);
        QVERIFY(rig->events.started);
        QVERIFY(rig->delegate->timer().isActive());
        QCOMPARE(rig->delegate->timer().interval(), 30'000);
        QCOMPARE(rig->window.shown, 0);

        rig->log.lines.clear();
        rig->events.plug();
        rig->events.wake();
        QCOMPARE(rig->log.lines.count(QStringLiteral("refreshButton")), 2);
    }

    void loginItemLeftAloneWhenDisabled()
    {
        auto rig = makeRig();
        rig->delegate->applicationDidFinishLaunching();
        QCOMPARE(rig->loginItem.registers, 0);
    }

    void windowAtLaunch_data()
    {
        QTest::addColumn<bool>("supported");
        QTest::addColumn<bool>("showIcon");
        QTest::addColumn<int>("shown");
        QTest::newRow("supported, icon on") << true << true << 0;
        QTest::newRow("supported, icon off") << true << false << 1;
        QTest::newRow("unsupported") << false << true << 1;
    }

    void windowAtLaunch()
    {
        QFETCH(bool, supported);
        QFETCH(bool, showIcon);
        QFETCH(int, shown);
        Prefs::setShowIcon(showIcon);
        auto rig = makeRig(supported);
        rig->delegate->applicationDidFinishLaunching();
        QCOMPARE(rig->window.shown, shown);
    }

    void reopenShowsWindow()
    {
        auto rig = makeRig();
        QVERIFY(rig->delegate->applicationShouldHandleReopen());
        QCOMPARE(rig->window.shown, 1);
    }
};

QTEST_GUILESS_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
