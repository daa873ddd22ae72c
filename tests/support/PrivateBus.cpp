// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QTest>

PrivateBus::PrivateBus(const QString &serviceDir) : m_serviceDir(serviceDir) {}

PrivateBus::~PrivateBus()
{
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }
}

bool PrivateBus::start()
{
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = "<busconfig>\n<type>session</type>\n<listen>unix:path=" +
                      m_dir.filePath(QStringLiteral("socket")).toUtf8() +
                      "</listen>\n<auth>EXTERNAL</auth>\n";
    if (!m_serviceDir.isEmpty())
        text += "<servicedir>" + m_serviceDir.toUtf8() + "</servicedir>\n";
    if (m_policyFile.isEmpty()) {
        text += "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>\n";
    } else {
        text += "<policy context=\"default\"><allow user=\"*\"/><deny own=\"*\"/>"
                "<deny send_type=\"method_call\"/><allow send_type=\"signal\"/>"
                "<allow send_requested_reply=\"true\" send_type=\"method_return\"/>"
                "<allow send_requested_reply=\"true\" send_type=\"error\"/>"
                "<allow receive_type=\"method_call\"/><allow receive_type=\"method_return\"/>"
                "<allow receive_type=\"error\"/><allow receive_type=\"signal\"/>"
                "<allow send_destination=\"org.freedesktop.DBus\" "
                "send_interface=\"org.freedesktop.DBus\"/></policy>\n"
                // What Debian's polkit allows on the system bus: root runs
                // polkit, everyone may ask it.
                "<policy user=\"root\"><allow own=\"org.freedesktop.PolicyKit1\"/></policy>"
                "<policy context=\"default\"><allow "
                "send_destination=\"org.freedesktop.PolicyKit1\"/></policy>\n<include>" +
                m_policyFile.toUtf8() + "</include>\n";
        // Other users must reach the socket.
        QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ReadGroup |
                                                QFile::ExeGroup | QFile::ReadOther |
                                                QFile::ExeOther);
    }
    text += "</busconfig>\n";
    file.write(text);
    file.close();

    m_daemon.setProcessChannelMode(QProcess::SeparateChannels);
    m_daemon.setStandardErrorFile(QProcess::nullDevice());
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                    QStringLiteral("--print-address")});
    if (!m_daemon.waitForStarted(5000))
        return false;
    if (!QTest::qWaitFor([this] { return m_daemon.canReadLine(); }, 10000))
        return false;
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    m_connectionName = QStringLiteral("private-") + m_address;
    return connection().isConnected();
}

QDBusConnection PrivateBus::connection() const
{
    return QDBusConnection::connectToBus(m_address, m_connectionName);
}

QProcessEnvironment PrivateBus::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    return environment;
}

bool PrivateBus::waitForName(const QString &name, int timeoutMs) const
{
    const QDBusConnection bus = connection();
    return QTest::qWaitFor([&] { return bus.interface()->isServiceRegistered(name).value(); },
                           timeoutMs);
}

bool PrivateBus::startMock(QProcess &process, const QString &templateName,
                           const QString &busName) const
{
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("/usr/bin/python3"),
                  {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                   QStringLiteral("-t"), templateName});
    return waitForName(busName);
}
