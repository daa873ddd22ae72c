// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// A second start of the agent hands over to the one that runs (this test
// process, on a private session bus) and ends.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void secondStartHandsOverAndEnds()
    {
        SingleInstance running(QDBusConnection::sessionBus());
        int reopened = 0;
        running.setReopenHandler([&reopened] { ++reopened; });
        QCOMPARE(running.claim(), SingleInstance::Claim::Owner);
        QVERIFY(QDBusConnection::sessionBus().interface()->isServiceRegistered(
            SingleInstance::serviceName));

        QProcess second;
        second.setProcessEnvironment(agentEnvironment());
        QSignalSpy finished(&second, &QProcess::finished);
        second.start(QStringLiteral(VOLTQUILL_AGENT), {});
        QVERIFY(second.waitForStarted());
        // The event loop must run here: the second start calls into this process.
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(reopened, 1);
        QDBusConnection::sessionBus().interface()->unregisterService(SingleInstance::serviceName);
    }

    void anOwnerThatDoesNotAnswerIsNotJoined()
    {
        // Owns the name but never runs its event loop while the second start asks.
        QDBusConnection bus =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("silent"));
        SingleInstance silent(bus);
        QCOMPARE(silent.claim(), SingleInstance::Claim::Owner);
        QProcess second;
        second.setProcessEnvironment(agentEnvironment());
        second.start(QStringLiteral(VOLTQUILL_AGENT), {});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 1);
        QDBusConnection::disconnectFromBus(QStringLiteral("silent"));
    }

private:
    QProcessEnvironment agentEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("VOLTQUILL_SYSFS_ROOT"), m_home.filePath(QStringLiteral("sys")));
        return env;
    }

    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
