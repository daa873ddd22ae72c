// SPDX-License-Identifier: GPL-3.0-or-later
// The notification rules through the real notification client against a
// server (python3-dbusmock's notification daemon on a private session bus)
// that is missing at start, killed or hung in the middle of the run. The agent
// never waits for it, and once a server answers again the next occasion shows.
#include "platform/FreedesktopNotificationCenter.h"
#include "policy/Notifier.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/NotificationBus.h"
#include "support/PolicySupport.h"
#include "support/TempHome.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace
{

// One occasion of "limit reached": plugged in, the level arrives at 80 %.
void reachLimit(Notifier &notifier, qint64 percent)
{
    notifier.evaluate(snapshot(60, false), snapshot(60, false), 80, true); // unplugged: reset
    notifier.evaluate(snapshot(79, true, true), snapshot(percent, true, false), 80, true);
}

QString bodyAt(qint64 percent)
{
    return QStringLiteral("Der Akku ist bei %1 %. Der Laptop läuft jetzt über das Netzteil.")
        .arg(percent);
}
} // namespace

class TestNotificationFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void serverFaults_data();
    void serverFaults();

private:
    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
};

void TestNotificationFaults::serverFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("no server at start") << "absent";
    QTest::newRow("server killed") << "killed";
    QTest::newRow("server hangs") << "hung";
}

void TestNotificationFaults::serverFaults()
{
    QFETCH(QString, fault);

    Prefs::d().clear();
    NotificationBus session;
    QVERIFY(!session.address.isEmpty());
    if (fault != u"absent")
        QVERIFY(session.startServer());
    FreedesktopNotificationCenter center(session.connection());
    Notifier notifier(center);
    notifier.setup();
    if (fault != u"absent") {
        reachLimit(notifier, 80);
        QTRY_VERIFY(session.bodies().contains(bodyAt(80)));
    }

    if (fault == u"killed")
        session.stopServer();
    else if (fault == u"hung")
        ::kill(static_cast<pid_t>(session.serverPid()), SIGSTOP);

    // An occasion while no server answers: nothing waits for it.
    int beats = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, this, [&beats] { ++beats; });
    heartbeat.start(10);
    reachLimit(notifier, 81);
    reachLimit(notifier, 82);
    const int beatsThen = beats;
    QTRY_VERIFY(beats > beatsThen + 5);

    // A server again: the next occasion shows, once.
    if (fault == u"hung") {
        ::kill(static_cast<pid_t>(session.serverPid()), SIGCONT);
        // What it was sent while hung times out on our side and is not resent.
        QTest::qWait(FreedesktopNotificationCenter::callTimeoutMs + 200);
    } else {
        QVERIFY(session.startServer());
    }
    reachLimit(notifier, 83);
    QTRY_VERIFY(session.bodies().contains(bodyAt(83)));
    QTest::qWait(200);
    QCOMPARE(session.bodies().count(bodyAt(83)), 1);
}

QTEST_GUILESS_MAIN(TestNotificationFaults)
#include "tst_notificationfaults.moc"
