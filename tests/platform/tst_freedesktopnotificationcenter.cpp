// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FreedesktopNotificationCenter.h"
#include "support/NotificationBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>

namespace
{

using NotifyCall = NotificationBus::NotifyCall;

QList<NotifyCall> notifyCalls(const NotificationBus &bus)
{
    return bus.notifyCalls();
}
} // namespace

class TestFreedesktopNotificationCenter : public QObject
{
    Q_OBJECT

    std::unique_ptr<NotificationBus> m_bus;

    static std::optional<bool> authorization(FreedesktopNotificationCenter &center)
    {
        std::optional<bool> answer;
        center.requestAuthorization([&](bool granted) { answer = granted; });
        // The answer never comes inside the call.
        if (answer)
            return std::nullopt;
        for (int i = 0; i < 200 && !answer; ++i)
            QTest::qWait(25);
        return answer;
    }

    static std::optional<NotificationCenter::AuthorizationStatus>
    status(FreedesktopNotificationCenter &center)
    {
        std::optional<NotificationCenter::AuthorizationStatus> answer;
        center.authorizationStatus([&](auto s) { answer = s; });
        for (int i = 0; i < 200 && !answer; ++i)
            QTest::qWait(25);
        return answer;
    }

    QList<NotifyCall> waitForCalls(qsizetype count)
    {
        QList<NotifyCall> calls;
        for (int i = 0; i < 200; ++i) {
            calls = notifyCalls(*m_bus);
            if (calls.size() >= count)
                break;
            QTest::qWait(25);
        }
        return calls;
    }

private Q_SLOTS:
    void init()
    {
        m_bus = std::make_unique<NotificationBus>();
        QVERIFY2(!m_bus->address.isEmpty(), "dbus-daemon did not start");
    }
    void cleanup() { m_bus.reset(); }

    void contentAndHintsArrive()
    {
        QVERIFY(m_bus->startServer());
        FreedesktopNotificationCenter center(m_bus->connection());
        center.add(
            QStringLiteral("Ladelimit erreicht"),
            QStringLiteral("Der Akku ist bei 80 %. Der Laptop läuft jetzt über das Netzteil."),
            QStringLiteral("limit"));
        const QList<NotifyCall> calls = waitForCalls(1);
        QCOMPARE(calls.size(), 1);
        const NotifyCall &call = calls.first();
        QCOMPARE(call.appName, QStringLiteral("Voltquill"));
        QCOMPARE(call.replacesId, 0u);
        QCOMPARE(call.summary, QStringLiteral("Ladelimit erreicht"));
        QCOMPARE(
            call.body,
            QStringLiteral("Der Akku ist bei 80 %. Der Laptop läuft jetzt über das Netzteil."));
        // The installed desktop file's name, by which desktops group the settings.
        QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("org.voltquill.Voltquill"));
        QCOMPARE(call.hints.value(QStringLiteral("sound-name")).toString(),
                 FreedesktopNotificationCenter::soundName);
        QCOMPARE(call.timeout, -1);
    }

    void sameIdentifierReplaces()
    {
        QVERIFY(m_bus->startServer());
        FreedesktopNotificationCenter center(m_bus->connection());
        center.add("Ladelimit erreicht", "eins", "limit");
        center.add("Niedriger Akkustand", "x", "low");
        QCOMPARE(waitForCalls(2).size(), 2);
        center.add("Ladelimit erreicht", "zwei", "limit");
        QCOMPARE(waitForCalls(3).size(), 3);
        // Back to back: the second waits for the first one's id; a third in
        // between is superseded by the newest.
        center.add("Netzteil reicht nicht", "a", "stalled");
        center.add("Netzteil reicht nicht", "b", "stalled");
        center.add("Netzteil reicht nicht", "c", "stalled");
        const QList<NotifyCall> calls = waitForCalls(5);
        QCOMPARE(calls.size(), 5);
        QTest::qWait(100);
        QCOMPARE(notifyCalls(*m_bus).size(), 5);

        // The mock numbers new notifications 1, 2, 3 … and answers a
        // replacement with the id it replaced.
        QList<QPair<quint32, QString>> seen;
        for (const NotifyCall &call : calls)
            seen.append({call.replacesId, call.body});
        const QList<QPair<quint32, QString>> expected{
            {0, "eins"}, {0, "x"}, {1, "zwei"}, {0, "a"}, {3, "c"}};
        QCOMPARE(seen, expected);
    }

    void permissionFollowsTheServer()
    {
        FreedesktopNotificationCenter center(m_bus->connection());
        QCOMPARE(authorization(center), std::optional<bool>(false));
        QCOMPARE(status(center), NotificationCenter::AuthorizationStatus::Denied);
        center.add("Ladelimit erreicht", "ohne Server", "limit");

        QVERIFY(m_bus->startServer());
        QCOMPARE(authorization(center), std::optional<bool>(true));
        QCOMPARE(status(center), NotificationCenter::AuthorizationStatus::Authorized);
        center.add("Ladelimit erreicht", "mit Server", "limit");
        const QList<NotifyCall> calls = waitForCalls(1);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().body, QStringLiteral("mit Server"));

        m_bus->stopServer();
        QCOMPARE(authorization(center), std::optional<bool>(false));
        center.add("Ladelimit erreicht", "Server fort", "limit");
        QTest::qWait(100);
    }

    void noBusAtAll()
    {
        const QDBusConnection nowhere = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/voltquill-bus"), QStringLiteral("nowhere"));
        QVERIFY(!nowhere.isConnected());
        {
            FreedesktopNotificationCenter center(nowhere);
            QCOMPARE(authorization(center), std::optional<bool>(false));
            QCOMPARE(status(center), NotificationCenter::AuthorizationStatus::Denied);
            center.add("Ladelimit erreicht", "nirgends", "limit");
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
    }

    void destroyedWhileAnswersArePending()
    {
        QVERIFY(m_bus->startServer());
        bool called = false;
        {
            FreedesktopNotificationCenter center(m_bus->connection());
            center.requestAuthorization([&](bool) { called = true; });
            center.add("Ladelimit erreicht", "weg", "limit");
        }
        QTest::qWait(200);
        QVERIFY(!called);
    }
};

QTEST_GUILESS_MAIN(TestFreedesktopNotificationCenter)
#include "tst_freedesktopnotificationcenter.moc"
