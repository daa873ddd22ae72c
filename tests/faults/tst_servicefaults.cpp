// SPDX-License-Identifier: GPL-3.0-or-later
// The agent against a charge service that hangs or dies in the middle of a
// command: the command fails with the German error, the agent's event loop
// keeps running, and once the service is back the next command works.
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/SystemClock.h"
#include "platform/ChargeClientFactory.h"
#include "platform/SysfsBatteryRegistry.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/ServiceRig.h"
#include "support/TempHome.h"

#include <QTest>
#include <QTimer>
#include <csignal>
#include <memory>
#include <thread>

class TestServiceFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void failsMidCommand_data();
    void failsMidCommand();

private:
    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
};

void TestServiceFaults::failsMidCommand_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("error");
    // The service's limit once it is back: a hung service still carries out
    // the command it was given; a killed one restarts from its state file.
    QTest::addColumn<qint64>("limitAfter");

    const QString prefix = QStringLiteral("Limit konnte nicht gesetzt werden: ");
    QTest::newRow("hangs") << "hang" << prefix + "Der Ladedienst antwortet nicht." << qint64(80);
    QTest::newRow("killed mid-call")
        << "kill-mid-call" << prefix + "Der Ladedienst wurde beendet, bevor er antworten konnte."
        << qint64(75);
    QTest::newRow("gone before the call")
        << "gone" << prefix + "Der Ladedienst ist nicht erreichbar." << qint64(75);
}

void TestServiceFaults::failsMidCommand()
{
    QFETCH(QString, fault);
    QFETCH(QString, error);
    QFETCH(qint64, limitAfter);

    Prefs::setChosenLimit(std::nullopt);
    ServiceRig rig(ServiceRig::Mode::Session);
    QVERIFY(rig.start());
    FakeSysfs &sysfs = rig.sysfs();
    sysfs.addBattery();
    sysfs.addAdapter(true);
    QVERIFY(rig.service().start());

    SystemClock clock;
    SysfsBatteryRegistry registry(sysfs.root());
    ChargeLimit chargeLimit(ChargeClientFactory::create(rig.connection()));
    AppState state(chargeLimit, registry, clock);
    state.setLimit(75);
    QCOMPARE(state.error(), std::nullopt);
    QCOMPARE(state.limit(), 75);

    const auto pid = static_cast<pid_t>(rig.service().pid());
    if (fault == u"gone") {
        rig.service().kill();
    } else {
        ::kill(pid, SIGSTOP);
    }
    // The command blocks the main thread: the kill comes from another one.
    std::thread killer;
    if (fault == u"kill-mid-call")
        killer = std::thread([pid] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::kill(pid, SIGKILL);
        });
    // A timer of the agent's own, which must keep firing around the failure.
    int beats = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, this, [&beats] { ++beats; });
    heartbeat.start(10);

    state.setLimit(80);
    if (killer.joinable())
        killer.join();
    if (fault == u"hang") {
        QTest::qWait(0); // lets the process object hear of an end
        QVERIFY2(rig.service().isRunning(), qPrintable(rig.service().endDescription()));
    }
    QCOMPARE(state.error().value_or(QString()), error);
    state.refresh(); // a tick while the service is still away
    const int beatsAfterFailure = beats;
    QTRY_VERIFY(beats > beatsAfterFailure + 2);

    // The service comes back: continued, or started anew by the system.
    if (fault == u"hang") {
        ::kill(pid, SIGCONT);
    } else {
        rig.renewService();
        QVERIFY(rig.service().start());
    }
    QTRY_COMPARE((state.refresh(), state.limit()), limitAfter);
    QCOMPARE(state.engaged(), true);
    state.setLimit(85);
    QCOMPARE(state.error(), std::nullopt);
    QCOMPARE(state.limit(), 85);
    QCOMPARE(sysfs.read(QStringLiteral("BAT0"), "charge_control_end_threshold"), QByteArray("85"));
}

QTEST_GUILESS_MAIN(TestServiceFaults)
#include "tst_servicefaults.moc"
