#include "platform/FreedesktopNotificationCenter.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>

namespace {
const QString serverName = QStringLiteral("org.freedesktop.Notifications");
const QString serverPath = QStringLiteral("/org/freedesktop/Notifications");

// A private session bus, so the test never reaches the desktop's own.
class PrivateBus
{
public:
    PrivateBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(5000))
            return;
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
        }
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("private"));
        stopServer();
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    QDBusConnection connection() const
    {
        return QDBusConnection::connectToBus(address, QStringLiteral("private"));
    }

    // python3-dbusmock's notification_daemon template as the server.
    bool startServer()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                        QStringLiteral("notification_daemon")});
        if (!m_server.waitForStarted(5000))
            return false;
        QDBusConnectionInterface *bus = connection().interface();
        for (int i = 0; i < 200 && !bus->isServiceRegistered(serverName); ++i)
            QTest::qWait(50);
        return bus->isServiceRegistered(serverName);
    }

    void stopServer()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    QString address;

private:
    QProcess m_daemon;
    QProcess m_server;
};

// One Notify call as the server received it.
struct NotifyCall {
    QString appName;
    quint32 replacesId = 0;
    QString summary;
    QString body;
    QVariantMap hints;
    qint32 timeout = 0;
};

QList<NotifyCall> notifyCalls(const QDBusConnection &bus)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        serverName, serverPath, QStringLiteral("org.freedesktop.DBus.Mock"),
        QStringLiteral("GetMethodCalls"));
    message << QStringLiteral("Notify");
    const QDBusMessage reply = bus.call(message, QDBus::Block, 5000);
    QList<NotifyCall> calls;
    if (reply.type() != QDBusMessage::ReplyMessage)
        return calls;
    const QDBusArgument array = reply.arguments().at(0).value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        array.beginStructure();
        quint64 timestamp = 0;
        array >> timestamp;
        QVariantList args;
        array.beginArray();
        while (!array.atEnd()) {
            QDBusVariant value;
            array >> value;
            args << value.variant();
        }
        array.endArray();
        array.endStructure();
        if (args.size() != 8)
            continue;
        NotifyCall call;
        call.appName = args.at(0).toString();
        call.replacesId = args.at(1).toUInt();
        call.summary = args.at(3).toString();
        call.body = args.at(4).toString();
        call.hints = qdbus_cast<QVariantMap>(args.at(6).value<QDBusArgument>());
        call.timeout = args.at(7).toInt();
        calls << call;
    }
    array.endArray();
    return calls;
}
} // namespace

class TestFreedesktopNotificationCenter : public QObject
{
    Q_OBJECT

    std::unique_ptr<PrivateBus> m_bus;

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
            calls = notifyCalls(m_bus->connection());
            if (calls.size() >= count)
                break;
            QTest::qWait(25);
        }
        return calls;
    }

private Q_SLOTS:
    void init()
    {
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY2(!m_bus->address.isEmpty(), "dbus-daemon did not start");
    }
    void cleanup() { m_bus.reset(); }

    void contentAndHintsArrive_data()
    {
        QTest::addColumn<int>("presentation"); // 0: no answer installed
        QTest::addColumn<bool>("sound");
        QTest::newRow("banner with sound") << 18 << true;
        QTest::newRow("no answer yet: default sound") << 0 << true;
        QTest::newRow("banner without sound") << 16 << false;
    }

    void contentAndHintsArrive()
    {
        QFETCH(int, presentation);
        QFETCH(bool, sound);
        QVERIFY(m_bus->startServer());
        FreedesktopNotificationCenter center(m_bus->connection());
        if (presentation)
            center.setWillPresent([presentation] { return presentation; });
        center.add(QStringLiteral("Ladelimit erreicht"),
                   QStringLiteral("Der Akku ist bei 80 %. Der Laptop läuft jetzt über das Netzteil."),
                   QStringLiteral("limit"));
        const QList<NotifyCall> calls = waitForCalls(1);
        QCOMPARE(calls.size(), 1);
        const NotifyCall &call = calls.first();
        QCOMPARE(call.appName, QStringLiteral("Voltquill"));
        QCOMPARE(call.replacesId, 0u);
        QCOMPARE(call.summary, QStringLiteral("Ladelimit erreicht"));
        QCOMPARE(call.body,
                 QStringLiteral("Der Akku ist bei 80 %. Der Laptop läuft jetzt über das Netzteil."));
        QCOMPARE(call.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("voltquill"));
        QCOMPARE(call.hints.contains(QStringLiteral("sound-name")), sound);
        if (sound)
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
        QCOMPARE(notifyCalls(m_bus->connection()).size(), 5);

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
