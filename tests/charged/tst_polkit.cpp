// SPDX-License-Identifier: GPL-3.0-or-later
// The charge service against a polkit that is slow, or holds checks while a
// password dialog would be open: the agent's client always hears the
// service's verdict before it gives up, what it hears is what happened, and
// another local user's checks and floods cannot crowd out an allowed user,
// grow the service or keep it from leaving.
#include "platform/DBusChargeClient.h"
#include "shared/ChargeBus.h"
#include "support/BusFlood.h"
#include "support/ServiceRig.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QTest>
#include <memory>
#include <unistd.h>

class TestPolkit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void answerWithinTheAgentsWait_data();
    void answerWithinTheAgentsWait();
    void anotherUserCannotLockOthersOut_data();
    void anotherUserCannotLockOthersOut();
    void leavesWhenTheLastHeldCheckEnds();
    void exitsCleanAfterManyChecks();

private:
    bool startPolkit(int delayMs, bool onlyRoot = false)
    {
        QStringList arguments{QStringLiteral("--delay-ms"), QString::number(delayMs)};
        if (onlyRoot)
            arguments << QStringLiteral("--only-root");
        return m_rig->polkit().startScript(QStringLiteral(HOLDING_POLKIT), arguments);
    }
    int heldChecks() const;
    bool isRegistered() const
    {
        return m_rig->connection().interface()->isServiceRegistered(ChargeBus::serviceName).value();
    }
    QByteArray threshold() const
    {
        return m_rig->sysfs().read(QStringLiteral("BAT0"), "charge_control_end_threshold");
    }

    std::unique_ptr<ServiceRig> m_rig;
};

void TestPolkit::init()
{
    if (::getuid() != 0)
        QSKIP("needs root: another user calls the service");
    // The system bus's rules, so that another user may call, as on a laptop.
    m_rig = std::make_unique<ServiceRig>(ServiceRig::Mode::System, QStringLiteral(POLICY_FILE));
    QVERIFY2(m_rig->start(), "dbus-daemon did not start");
    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
}

void TestPolkit::cleanup()
{
    m_rig.reset();
}

void TestPolkit::answerWithinTheAgentsWait_data()
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

void TestPolkit::answerWithinTheAgentsWait()
{
    QFETCH(int, polkitDelayMs);
    QFETCH(QString, error);
    QFETCH(QByteArray, threshold);

    QVERIFY2(startPolkit(polkitDelayMs), "the polkit stand-in did not come up");
    QVERIFY(m_rig->service().start());
    DBusChargeClient agent(m_rig->connection());

    QElapsedTimer waited;
    waited.start();
    const auto failure = agent.setLimit(80);
    QVERIFY(waited.elapsed() < DBusChargeClient::CommandTimeoutMs);
    QCOMPARE(failure ? failure->description : QString(), error);
    // Once polkit's late answer is in, the battery still does what the
    // agent was told.
    QTest::qWait(std::max(0, polkitDelayMs - int(waited.elapsed())) + 300);
    QCOMPARE(this->threshold(), threshold);
    QCOMPARE(agent.limitInForce(), quint64(threshold.toInt()));
}

int TestPolkit::heldChecks() const
{
    return m_rig->polkit().call(QStringLiteral("HeldChecks")).arguments().value(0, -1).toInt();
}

void TestPolkit::anotherUserCannotLockOthersOut_data()
{
    QTest::addColumn<QStringList>("flood");
    QTest::addColumn<int>("held"); // checks polkit holds for the flooding user

    // Password dialogs nobody answers, each held by polkit for minutes.
    QTest::newRow("8 connections hold 2 password checks each")
        << QStringList{"--connections", "8", "--calls", "2", "--interactive"} << 4;
    QTest::newRow("32 connections flood denied changes")
        << QStringList{"--connections", "32", "--calls", "100"} << 0;
    // Under AddressSanitizer the flood itself is slow to send, and the
    // memory it would show is not checked there.
#ifdef __SANITIZE_ADDRESS__
    const QString calls = QStringLiteral("5000");
#else
    const QString calls = QStringLiteral("50000");
#endif
    QTest::newRow("fire and forget")
        << QStringList{"--connections", "4", "--calls", calls, "--no-reply"} << 0;
}

void TestPolkit::anotherUserCannotLockOthersOut()
{
    QFETCH(QStringList, flood);
    QFETCH(int, held);

    // A loaded polkit, so that the flood's checks stay in flight a while.
    QVERIFY2(startPolkit(50, true), "the polkit stand-in did not come up");
    QVERIFY(m_rig->service().start());
    const double memoryBefore = m_rig->service().residentMiB();
    BusFlood attacker(m_rig->bus());
    QVERIFY2(attacker.start(flood, 180000), "the flood did not start");
    if (held > 0)
        QTRY_COMPARE_WITH_TIMEOUT(heldChecks(), held, 5000);

    // Meanwhile an allowed user's changes go through, each within the
    // agent's wait…
    DBusChargeClient agent(m_rig->connection());
    for (const uchar limit : {80, 75, 80}) {
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(agent.setLimit(limit), std::nullopt);
        QVERIFY2(waited.elapsed() < DBusChargeClient::CommandTimeoutMs,
                 qPrintable(QStringLiteral("%1 ms").arg(waited.elapsed())));
        QCOMPARE(threshold(), QByteArray::number(limit));
    }
    // …and driver resets are still written over.
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QTRY_COMPARE_WITH_TIMEOUT(threshold(), QByteArray("80"), 1000);

    // The flooding user changed nothing, heard why, and holds no more
    // checks than its share.
    if (held > 0) {
        QCOMPARE(heldChecks(), held);
    } else if (!flood.contains(QStringLiteral("--no-reply"))) {
        const QMap<QString, int> answers = attacker.answers();
        QCOMPARE(answers.value(QStringLiteral("org.voltquill.Charge1.Error.Busy")) +
                     answers.value(QStringLiteral("org.voltquill.Charge1.Error.NotAuthorized")),
                 32 * 100);
    }
    QCOMPARE(m_rig->service().call(QStringLiteral("Limit")).arguments().value(0).toInt(), 80);
    // Whatever the flood, the service keeps to a few MiB. (Not under
    // AddressSanitizer: it holds freed memory back, up to 256 MiB, and
    // slows the service below the pace of the bus.)
#ifndef __SANITIZE_ADDRESS__
    QVERIFY2(m_rig->service().residentMiB() < memoryBefore + 10,
             qPrintable(QStringLiteral("%1 MiB before, %2 MiB after")
                            .arg(memoryBefore)
                            .arg(m_rig->service().residentMiB())));
#else
    Q_UNUSED(memoryBefore)
#endif
}

void TestPolkit::leavesWhenTheLastHeldCheckEnds()
{
    QVERIFY2(startPolkit(0, true), "the polkit stand-in did not come up");
    QVERIFY(m_rig->service().start({QStringLiteral("--exit-when-idle"), QStringLiteral("1")}));
    BusFlood user(m_rig->bus());
    QVERIFY(user.start({"--connections", "1", "--calls", "1", "--interactive"}));
    QTRY_COMPARE_WITH_TIMEOUT(heldChecks(), 1, 5000);
    // A check still held keeps the service…
    QTest::qWait(1500);
    QVERIFY(isRegistered());
    // …and once it ends, the idle wait starts anew: the service leaves.
    m_rig->polkit().call(QStringLiteral("DenyHeld"));
    QCOMPARE(user.answers().value(QStringLiteral("org.voltquill.Charge1.Error.NotAuthorized")), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig->service().isRunning(), 4000);
}

void TestPolkit::exitsCleanAfterManyChecks()
{
    // Under the sanitizers the service's own leaks fail its exit: every
    // polkit answer read must leave nothing behind.
    QVERIFY2(startPolkit(0, true), "the polkit stand-in did not come up");
    QVERIFY(m_rig->service().start({QStringLiteral("--exit-when-idle"), QStringLiteral("1")}));
    DBusChargeClient agent(m_rig->connection());
    for (int i = 0; i < 100; ++i)
        QCOMPARE(agent.setLimit(i % 2 ? 75 : 80), std::nullopt);
    BusFlood denied(m_rig->bus());
    QVERIFY(denied.start({"--connections", "4", "--calls", "100"}));
    QVERIFY(!denied.answers().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig->service().isRunning(), 5000);
    QVERIFY2(m_rig->service().endDescription() == QStringLiteral("exited with 0"),
             qPrintable(m_rig->service().endDescription()));
}

QTEST_GUILESS_MAIN(TestPolkit)
#include "tst_polkit.moc"
