// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's charge client answers from the service's published properties:
// they must follow every change, whoever makes it, and be read anew when the
// service was replaced or left while it had a suspension to watch.
#include "platform/DBusChargeClient.h"
#include "shared/ChargeBus.h"
#include "support/ServiceRig.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

namespace
{

bool owned(const PrivateBus &bus)
{
    return bus.connection().interface()->isServiceRegistered(ChargeBus::serviceName).value();
}
} // namespace

class TestChargeProperties : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void followsChangesByOthers();
    void readAnewFromAnotherService();
    void readAnewAfterLeavingDuringSuspension();
    void leftIdleIsNotStartedAgain();
    void callsAtTheIdleExitAreAnswered();

private:
    std::unique_ptr<ServiceRig> m_rig;
};

void TestChargeProperties::init()
{
    m_rig = std::make_unique<ServiceRig>(ServiceRig::Mode::Session);
    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
}

void TestChargeProperties::cleanup()
{
    m_rig.reset();
}

void TestChargeProperties::followsChangesByOthers()
{
    QVERIFY(m_rig->start());
    QVERIFY(m_rig->service().start());
    DBusChargeClient agent(m_rig->connection());
    DBusChargeClient other(m_rig->connection());
    QCOMPARE(agent.limitInForce(), 100u);
    QCOMPARE(agent.isLimitKept(), 0);

    QCOMPARE(other.setLimit(80), std::nullopt);
    QTRY_COMPARE(agent.limitInForce(), 80u);
    QCOMPARE(agent.isLimitKept(), 1);
    QCOMPARE(other.suspendLimit(), std::nullopt);
    QTRY_COMPARE(agent.limitInForce(), 100u);
    QCOMPARE(agent.isLimitKept(), 1);
    // The service ends the suspension itself when the adapter goes offline.
    m_rig->sysfs().write(QStringLiteral("AC"), "online", "0");
    QTRY_COMPARE(agent.limitInForce(), 80u);
}

void TestChargeProperties::readAnewFromAnotherService()
{
    QVERIFY(m_rig->start());
    QVERIFY(m_rig->service().start());
    DBusChargeClient agent(m_rig->connection());
    QCOMPARE(agent.setLimit(80), std::nullopt);
    QCOMPARE(agent.limitInForce(), 80u);

    // Another instance without a kept limit takes the name over.
    m_rig->service().stop();
    QTemporaryDir otherState;
    const auto other = m_rig->otherService(otherState.path());
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QVERIFY(other->start());
    QTRY_COMPARE(agent.limitInForce(), 100u);
    QCOMPARE(agent.isLimitKept(), 0);
}

void TestChargeProperties::readAnewAfterLeavingDuringSuspension()
{
    QVERIFY(m_rig->start());
    QVERIFY(m_rig->service().start());
    DBusChargeClient agent(m_rig->connection());
    QCOMPARE(agent.setLimit(80), std::nullopt);
    QCOMPARE(agent.suspendLimit(), std::nullopt);
    QCOMPARE(agent.isLimitKept(), 1);

    // Nobody watches the suspension any more: the agent may not keep
    // reporting one as if it were.
    m_rig->service().kill();
    QTRY_VERIFY(!owned(m_rig->bus()));
    QTRY_COMPARE(agent.isLimitKept(), 0);
}

void TestChargeProperties::leftIdleIsNotStartedAgain()
{
    QVERIFY(m_rig->startActivatable("--exit-when-idle 1"));
    const PrivateBus &bus = m_rig->bus();

    DBusChargeClient agent(bus.connection());
    QCOMPARE(agent.setLimit(80), std::nullopt); // starts the service
    QCOMPARE(agent.limitInForce(), 80u);
    QTRY_VERIFY_WITH_TIMEOUT(!owned(bus), 10000);

    // Asking again costs no start: the service left the limit as published.
    QCOMPARE(agent.limitInForce(), 80u);
    QCOMPARE(agent.isLimitKept(), 1);
    QTest::qWait(200);
    QVERIFY(!owned(bus));
    // A command starts it again.
    QCOMPARE(agent.setLimit(85), std::nullopt);
    QCOMPARE(agent.limitInForce(), 85u);
    QTRY_VERIFY_WITH_TIMEOUT(!owned(bus), 10000);

    // While it is away the firmware forgets the threshold; the system starts
    // the service (on waking, or udev on a plug event) and it puts it back.
    const QByteArray threshold = "charge_control_end_threshold";
    m_rig->sysfs().write(QStringLiteral("BAT0"), threshold, "100");
    const QDBusReply<void> started =
        bus.connection().interface()->startService(ChargeBus::serviceName);
    QVERIFY2(started.isValid(), qPrintable(started.error().message()));
    QTRY_COMPARE(m_rig->sysfs().read(QStringLiteral("BAT0"), threshold), QByteArray("85"));
    QCOMPARE(agent.limitInForce(), 85u);
    QTRY_VERIFY_WITH_TIMEOUT(!owned(bus), 10000);
}

void TestChargeProperties::callsAtTheIdleExitAreAnswered()
{
    QVERIFY(m_rig->startActivatable("--exit-when-idle 1"));
    const PrivateBus &bus = m_rig->bus();

    // Property reads do not keep the service awake: a steady stream of them,
    // several in flight at any time, spans its idle exits. Every one is
    // answered, by the leaving instance or by the next one the bus starts.
    const QDBusConnection connection = bus.connection();
    QList<QDBusPendingCall> calls;
    QSet<uint> instances;
    QElapsedTimer running;
    running.start();
    while (running.elapsed() < 3500) {
        for (int i = 0; i < 4; ++i) {
            QDBusMessage get = QDBusMessage::createMethodCall(
                ChargeBus::serviceName, ChargeBus::objectPath,
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
            get << ChargeBus::interfaceName << QStringLiteral("CurrentLimit");
            calls << connection.asyncCall(get, 5000);
        }
        QTest::qWait(10);
        if (const QDBusReply<uint> pid = connection.interface()->servicePid(ChargeBus::serviceName);
            pid.isValid())
            instances << pid.value();
    }
    QVERIFY2(instances.size() >= 2, "the service never left while asked");
    for (QDBusPendingCall &call : calls) {
        call.waitForFinished();
        QVERIFY2(!call.isError(), qPrintable(call.error().name() + ": " + call.error().message()));
    }
    QTRY_VERIFY_WITH_TIMEOUT(!owned(bus), 10000);
}

QTEST_GUILESS_MAIN(TestChargeProperties)
#include "tst_chargeproperties.moc"
