// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>
#include <csignal>

// A private session bus with python3-dbusmock's notification daemon as the
// server that can be started, stopped or frozen, so a test never reaches the
// desktop's own bus.
class NotificationBus
{
public:
    // One Notify call as the server received it.
    struct NotifyCall {
        QString appName;
        quint32 replacesId = 0;
        QString summary;
        QString body;
        QVariantMap hints;
        qint32 timeout = 0;
    };

    static inline const QString serverName = QStringLiteral("org.freedesktop.Notifications");

    NotificationBus()
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

    ~NotificationBus()
    {
        QDBusConnection::disconnectFromBus(connectionName);
        stopServer();
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }

    QDBusConnection connection() const
    {
        return QDBusConnection::connectToBus(address, connectionName);
    }

    bool startServer()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                        QStringLiteral("--template"), QStringLiteral("notification_daemon")});
        return m_server.waitForStarted(5000) &&
               QTest::qWaitFor(
                   [this] {
                       return connection().interface()->isServiceRegistered(serverName).value();
                   },
                   10000);
    }

    void stopServer()
    {
        if (m_server.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(m_server.processId()), SIGCONT); // a frozen one too
        m_server.kill();
        m_server.waitForFinished(5000);
    }

    qint64 serverPid() const { return m_server.processId(); }

    // Every Notify call the running server received, in order.
    QList<NotifyCall> notifyCalls() const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            serverName, QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("GetMethodCalls"));
        message << QStringLiteral("Notify");
        const QDBusMessage reply = connection().call(message, QDBus::Block, 5000);
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

    QStringList bodies() const
    {
        QStringList result;
        for (const NotifyCall &call : notifyCalls())
            result << call.body;
        return result;
    }

    QString address;

private:
    static inline const QString connectionName = QStringLiteral("notification-bus");
    QProcess m_daemon;
    QProcess m_server;
};
