// SPDX-License-Identifier: GPL-3.0-or-later
// A session whose panel comes up late: no tray at start, none during the
// agent's wait (the window is shown instead), then a tray appears. The next
// tick puts the icon up; a tray that goes away again costs nothing.
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/SystemClock.h"
#include "app/WindowView.h"
#include "menubar/StatusItem.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/FakeWindow.h"
#include "support/TempHome.h"

#include <QSystemTrayIcon>
#include <QTest>

class TestLateTray : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void trayAfterTheWait_data();
    void trayAfterTheWait();

private:
    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
};

void TestLateTray::trayAfterTheWait_data()
{
    QTest::addColumn<int>("ticksWithoutTray"); // ticks after the wait before the tray comes

    QTest::newRow("tray at the first tick after the wait") << 0;
    QTest::newRow("tray an hour later") << 120;
}

void TestLateTray::trayAfterTheWait()
{
    QFETCH(int, ticksWithoutTray);

    Prefs::d().clear();
    SystemClock clock;
    FakeBatteryRegistry registry;
    registry.reported = BatteryReading{.percent = 60, .external = true};
    ChargeLimit chargeLimit(std::make_unique<FakeChargeClient>());
    AppState state(chargeLimit, registry, clock);
    state.refresh();
    FakeWindow window;
    bool tray = false;
    int asked = 0;
    StatusItem item(state, &window,
                    {.trayAvailable =
                         [&] {
                             ++asked;
                             return tray;
                         },
                     .retryIntervalMs = 10,
                     .retryAttempts = 3});

    item.updateStatusItem();
    QTRY_VERIFY(!item.isWaitingForTray());
    QVERIFY(!item.item());
    QCOMPARE(window.shown, 1); // the agent stays reachable meanwhile

    for (int i = 0; i < ticksWithoutTray; ++i)
        item.refreshButton();
    QVERIFY(!item.item());
    const int askedBefore = asked;
    tray = true;
    item.refreshButton(); // the next tick
    QVERIFY(item.item());
    QVERIFY(item.item()->isVisible());
    QVERIFY(!item.item()->icon().isNull());
    QCOMPARE(asked, askedBefore + 1);
    QCOMPARE(window.shown, 1);

    // With the icon up, a tick asks nothing more.
    item.refreshButton();
    QCOMPARE(asked, askedBefore + 1);

    // Switched off in the meantime: no icon comes up, whatever the tray does.
    Prefs::d().setBool(QStringLiteral("showIcon"), false);
    item.updateStatusItem();
    item.refreshButton();
    QVERIFY(!item.item());
}

QTEST_MAIN(TestLateTray)
#include "tst_latetray.moc"
