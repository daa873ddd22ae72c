// SPDX-License-Identifier: GPL-3.0-or-later
// The charge service against a polkit that is slow, or holds checks while a
// password dialog would be open: the agent's client always hears the
// service's verdict before it gives up, what it hears is what happened, and
// held checks cannot crowd out an allowed user.
#include "platform/DBusChargeClient.h"
#include "shared/ChargeBus.h"
#include "support/FakeSysfs.h"
#include "support/PolkitStandIn.h"
#include "support/PrivateBus.h"
#include "support/ServiceProcess.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestChargedPolkit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void answerWithinTheAgentsWait_data();
    void answerWithinTheAgentsWait();
    void heldChecksAreCapped();

private:
    bool startPolkit(int delayMs)
    {
        return m_polkit->startScript(QStringLiteral(HOLDING_POLKIT),
                                     {QStringLiteral("--delay-ms"), QString::number(delayMs)});
    }
    QByteArray threshold() const
    {
        return m_sysfs->read(QStringLiteral("BAT0"), "charge_control_end_threshold");
    }

    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<PolkitStandIn> m_polkit;
    std::unique_ptr<FakeSysfs> m_sysfs;
    std::unique_ptr<QTemporaryDir> m_state;
    std::unique_ptr<ServiceProcess> m_service;
};

void TestChargedPolkit::init()
{
    m_bus = std::make_unique<PrivateBus>();
    QVERIFY2(m_bus->start(), "dbus-daemon did not start");
    m_polkit = std::make_unique<PolkitStandIn>(*m_bus);
    m_sysfs = std::make_unique<FakeSysfs>();
    m_sysfs->addBattery();
    m_sysfs->addAdapter(true);
    m_state = std::make_unique<QTemporaryDir>();
    m_service = std::make_unique<ServiceProcess>(*m_bus, m_sysfs->root(), m_state->path(), false);
}

void TestChargedPolkit::cleanup()
{
    m_service.reset();
    m_polkit.reset();
    m_bus.reset();
}

void TestChargedPolkit::answerWithinTheAgentsWait_data()
{
    QTest::addColumn<int>("polkitDelayMs");
    QTest::addColumn<QString>("error"); // empty: the change holds
    QTest::addColumn<QByteArray>("threshold");

    QTest::newRow("polkit answers at once") << 0 << QString() << QByteArray("80");
    QTest::newRow("polkit answers after 1 s") << 1000 << QString() << QByteArray("80");
    // Later than the service waits: refused, and nothing happens afterwards.
    QTest::newRow("polkit answers after 5 s")
        << 5000
        << "Die Berechtigung konnte nicht rechtzeitig geprüft werden; das Ladelimit bleibt "
           "unverändert."
        << QByteArray("100");
}

void TestChargedPolkit::answerWithinTheAgentsWait()
{
    QFETCH(int, polkitDelayMs);
    QFETCH(QString, error);
    QFETCH(QByteArray, threshold);

    QVERIFY2(startPolkit(polkitDelayMs), "the polkit stand-in did not come up");
    QVERIFY(m_service->start());
    DBusChargeClient agent(m_bus->connection());

    QElapsedTimer waited;
    waited.start();
    const auto failure = agent.setMCLLimit(80);
    QVERIFY(waited.elapsed() < DBusChargeClient::CommandTimeoutMs);
    QCOMPARE(failure ? failure->description : QString(), error);
    // Once polkit's late answer is in, the battery still does what the
    // agent was told.
    QTest::qWait(std::max(0, polkitDelayMs - int(waited.elapsed())) + 300);
    QCOMPARE(this->threshold(), threshold);
    QCOMPARE(agent.getMCLLimit(), quint64(threshold.toInt()));
}

void TestChargedPolkit::heldChecksAreCapped()
{
    QVERIFY2(startPolkit(0), "the polkit stand-in did not come up");
    QVERIFY(m_service->start());

    // Local users ask again and again, each time allowing a password dialog
    // that nobody answers: polkit holds every one of those checks.
    constexpr int Callers = 4;
    constexpr int CallsEach = 40;
    QList<QDBusConnection> callers;
    QList<QDBusPendingCall> calls;
    for (int i = 0; i < Callers; ++i) {
        callers << QDBusConnection::connectToBus(m_bus->address(),
                                                 QStringLiteral("caller-%1").arg(i));
        for (int n = 0; n < CallsEach; ++n) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                ChargeBus::serviceName, ChargeBus::objectPath, ChargeBus::interfaceName,
                QStringLiteral("SetLimit"));
            call << QVariant::fromValue(uchar(75));
            call.setInteractiveAuthorizationAllowed(true);
            calls << callers.last().asyncCall(call, 60000);
        }
    }
    // Past the cap the answer comes at once, and says why.
    const auto answered = [&] {
        int count = 0;
        for (const QDBusPendingCall &call : calls)
            count += call.isFinished();
        return count;
    };
    QTRY_VERIFY_WITH_TIMEOUT(answered() >= Callers * CallsEach - 16, 3000);
    for (const QDBusPendingCall &call : calls) {
        if (call.isFinished()) {
            QVERIFY(call.isError());
            QCOMPARE(call.error().name(), QStringLiteral("org.voltquill.Charge1.Error.Busy"));
            QCOMPARE(DBusChargeClient::describe(call.error(), false).description,
                     QStringLiteral("Zu viele Anfragen warten auf eine Berechtigung. Bitte "
                                    "gleich noch einmal versuchen."));
        }
    }

    // Meanwhile an allowed user's change goes through…
    DBusChargeClient agent(m_bus->connection());
    QCOMPARE(agent.setMCLLimit(80), std::nullopt);
    QCOMPARE(threshold(), QByteArray("80"));
    // …and driver resets are still written over.
    m_sysfs->write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QTRY_COMPARE_WITH_TIMEOUT(threshold(), QByteArray("80"), 1000);

    for (int i = 0; i < Callers; ++i)
        QDBusConnection::disconnectFromBus(QStringLiteral("caller-%1").arg(i));
}

QTEST_GUILESS_MAIN(TestChargedPolkit)
#include "tst_ChargedPolkit.moc"
