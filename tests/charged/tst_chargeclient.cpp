// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's state derived end to end from the real charge service on a
// private bus, through the D-Bus client and its factory.
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/SystemClock.h"
#include "platform/ChargeClientFactory.h"
#include "platform/ReadOnlyChargeClient.h"
#include "platform/SysfsBatteryRegistry.h"
#include "settings/Prefs.h"
#include "shared/ChargeBus.h"
#include "support/BoundSettings.h"
#include "support/ServiceRig.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <thread>

class TestChargeClient : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void derivation_data();
    void derivation();
    void suspensionEndsByUnplugging();
    void absentService();
    void absentServiceLeavesTheLimitInForce_data();
    void absentServiceLeavesTheLimitInForce();
    void activatableService();
    void unresponsiveService_data();
    void unresponsiveService();

private:
    std::unique_ptr<AppState> makeState(const PrivateBus &bus);

    QTemporaryDir m_home;
    BoundSettings m_settings{m_home.filePath(QStringLiteral("config/Voltquill/settings.json"))};
    std::unique_ptr<ServiceRig> m_rig;
    std::unique_ptr<ChargeLimit> m_chargeLimit;
    std::unique_ptr<SysfsBatteryRegistry> m_registry;
    SystemClock m_clock;
};

void TestChargeClient::initTestCase()
{
    // The settings store must never be the real home's.
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
}

void TestChargeClient::init()
{
    Prefs::setChosenLimit(std::nullopt);
    m_rig = std::make_unique<ServiceRig>(ServiceRig::Mode::Session);
    QVERIFY(m_rig->start());
    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    m_registry = std::make_unique<SysfsBatteryRegistry>(m_rig->sysfs().root());
}

void TestChargeClient::cleanup()
{
    m_chargeLimit.reset();
    m_rig.reset();
}

std::unique_ptr<AppState> TestChargeClient::makeState(const PrivateBus &bus)
{
    m_chargeLimit = std::make_unique<ChargeLimit>(ChargeClientFactory::create(bus.connection()));
    return std::make_unique<AppState>(*m_chargeLimit, *m_registry, m_clock);
}

void TestChargeClient::derivation_data()
{
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("engaged");
    QTest::addColumn<QString>("error");

    QTest::newRow("limit in force") << QStringList{"set 80"} << qint64(80) << true << QString();
    QTest::newRow("no limit") << QStringList{"set 80", "set 100"} << qint64(100) << true
                              << QString();
    QTest::newRow("suspended") << QStringList{"set 80", "full"} << qint64(80) << false << QString();
    QTest::newRow("re-enabled") << QStringList{"set 80", "full", "enable"} << qint64(80) << true
                                << QString();
    QTest::newRow("refused limit")
        << QStringList{"set 73"} << qint64(100) << true
        << "Limit konnte nicht gesetzt werden: Dieses Ladelimit bietet der Akku nicht an.";
    QTest::newRow("refused limit keeps the one in force")
        << QStringList{"set 85", "set 0"} << qint64(85) << true
        << "Limit konnte nicht gesetzt werden: Dieses Ladelimit bietet der Akku nicht an.";
    QTest::newRow("refused suspension")
        << QStringList{"full"} << qint64(100) << true
        << "Fehler: Es ist kein Ladelimit gesetzt, das ausgesetzt werden könnte.";
}

void TestChargeClient::derivation()
{
    QFETCH(QStringList, commands);
    QFETCH(qint64, limit);
    QFETCH(bool, engaged);
    QFETCH(QString, error);

    QVERIFY(m_rig->service().start());
    const auto state = makeState(m_rig->bus());
    QVERIFY(m_chargeLimit->isSupported()); // a client, and the service answers
    QCOMPARE(state->options(), (QList<qint64>{60, 65, 70, 75, 80, 85, 90, 95, 100}));

    for (const QString &command : commands) {
        if (command.startsWith(u"set "))
            state->setLimit(command.mid(4).toLongLong());
        else if (command == u"full")
            state->chargeFullOnce();
        else
            state->reEnable();
    }
    QCOMPARE(state->limit(), limit);
    QCOMPARE(state->engaged(), engaged);
    QCOMPARE(state->error().value_or(QString()), error);

    // A fresh agent derives the same from the service alone.
    const auto again = makeState(m_rig->bus());
    QCOMPARE(again->limit(), limit);
    QCOMPARE(again->engaged(), engaged);
}

void TestChargeClient::suspensionEndsByUnplugging()
{
    QVERIFY(m_rig->service().start());
    const auto state = makeState(m_rig->bus());
    state->setLimit(80);
    state->chargeFullOnce();
    QCOMPARE(state->engaged(), false);
    QCOMPARE(m_rig->sysfs().read(QStringLiteral("BAT0"), "charge_control_end_threshold"),
             QByteArray("100"));

    m_rig->sysfs().write(QStringLiteral("AC"), "online", "0");
    QTRY_VERIFY((state->refresh(), state->engaged()));
    QCOMPARE(state->limit(), 80);
    QCOMPARE(m_rig->sysfs().read(QStringLiteral("BAT0"), "charge_control_end_threshold"),
             QByteArray("80"));
}

void TestChargeClient::absentService()
{
    // No owner, nothing to activate.
    QVERIFY(!ChargeClientFactory::create(m_rig->connection()));
    const auto state = makeState(m_rig->bus());
    QCOMPARE(state->options(), ChargeLimit::fallbackLimits());
    state->setLimit(80);
    QCOMPARE(state->limit(), 100);
    QCOMPARE(state->engaged(), true);
    QCOMPARE(state->error().value_or(QString()),
             QStringLiteral("Limit konnte nicht gesetzt werden: ") +
                 ChargeLimit::ownError().description);
}

void TestChargeClient::absentServiceLeavesTheLimitInForce_data()
{
    QTest::addColumn<QByteArray>("threshold");
    QTest::addColumn<int>("limit");
    QTest::newRow("kept at 80") << QByteArray("80") << 80;
    QTest::newRow("none kept") << QByteArray("100") << 100;
    QTest::newRow("driver's 0: none") << QByteArray("0") << 100;
}

void TestChargeClient::absentServiceLeavesTheLimitInForce()
{
    // Not installed, or no system bus: the tray must still tell what the
    // battery keeps (set by an earlier install, another tool or the firmware),
    // not "no limit", and nothing can be changed.
    QFETCH(QByteArray, threshold);
    QFETCH(int, limit);
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", threshold);
    ChargeLimit chargeLimit(std::make_unique<ReadOnlyChargeClient>(m_rig->sysfs().root()));
    AppState state(chargeLimit, *m_registry, m_clock);
    state.refresh();
    QCOMPARE(state.limit(), limit);
    QCOMPARE(state.engaged(), true); // not suspended
    // The family's limits, not a guess that need not contain the one in force.
    QCOMPARE(state.options(), (QList<qint64>{60, 65, 70, 75, 80, 85, 90, 95, 100}));
    QCOMPARE(chargeLimit.isSupported(), false);
    state.setLimit(85);
    QCOMPARE(state.error().value_or(QString()),
             QStringLiteral("Limit konnte nicht gesetzt werden: ") +
                 ChargeLimit::ownError().description);
    QCOMPARE(m_rig->sysfs().read(QStringLiteral("BAT0"), "charge_control_end_threshold"),
             threshold);
    QCOMPARE(state.limit(), limit);
}

void TestChargeClient::activatableService()
{
    QTemporaryDir services;
    PrivateBus bus(services.path());
    QVERIFY(ServiceProcess::makeActivatable(bus, services.path(), m_rig->sysfs().root(),
                                            m_rig->stateDir()));
    QVERIFY(bus.start());

    const auto state = makeState(bus);
    QVERIFY(m_chargeLimit->isSupported()); // activated by the call
    state->setLimit(75);
    QCOMPARE(state->limit(), 75);
    QCOMPARE(state->error(), std::nullopt);

    const QDBusReply<uint> pid = bus.connection().interface()->servicePid(ChargeBus::serviceName);
    QVERIFY(pid.isValid());
    m_chargeLimit.reset();
    ::kill(static_cast<pid_t>(pid.value()), SIGTERM);
}

void TestChargeClient::unresponsiveService_data()
{
    QTest::addColumn<bool>("killMidCall");
    QTest::addColumn<QString>("error");

    QTest::newRow("hung") << false
                          << "Limit konnte nicht gesetzt werden: Der Ladedienst antwortet nicht.";
    QTest::newRow("vanished mid-call")
        << true
        << "Limit konnte nicht gesetzt werden: Der Ladedienst wurde beendet, bevor er antworten "
           "konnte.";
}

void TestChargeClient::unresponsiveService()
{
    QFETCH(bool, killMidCall);
    QFETCH(QString, error);

    QVERIFY(m_rig->service().start());
    const auto state = makeState(m_rig->bus());
    const auto pid = static_cast<pid_t>(m_rig->service().pid());
    ::kill(pid, SIGSTOP);
    std::thread killer;
    if (killMidCall)
        killer = std::thread([pid] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::kill(pid, SIGKILL);
        });

    state->setLimit(80);
    if (killer.joinable())
        killer.join();
    QCOMPARE(state->error().value_or(QString()), error);
    QCOMPARE(state->limit(), 100);
    ::kill(pid, SIGCONT);
}

QTEST_GUILESS_MAIN(TestChargeClient)
#include "tst_chargeclient.moc"
