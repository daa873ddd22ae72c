// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/PolkitStandIn.h"

#include "support/PrivateBus.h"

#include <QDBusMessage>

namespace
{
const QString PolkitName = QStringLiteral("org.freedesktop.PolicyKit1");
// The one action the charge service asks polkit about.
const QString ChargeAction = QStringLiteral("org.voltquill.charge.set-limit");
} // namespace

bool PolkitStandIn::startMock()
{
    return m_bus.startMock(m_process, QStringLiteral("polkitd"), PolkitName);
}

bool PolkitStandIn::allow(bool allowed) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        PolkitName, QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("SetAllowed"));
    call << (allowed ? QStringList{ChargeAction} : QStringList());
    return m_bus.connection().call(call).type() == QDBusMessage::ReplyMessage;
}

QDBusMessage PolkitStandIn::call(const QString &method) const
{
    return m_bus.connection().call(QDBusMessage::createMethodCall(
        PolkitName, QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
        QStringLiteral("org.freedesktop.PolicyKit1.Authority"), method));
}

bool PolkitStandIn::startScript(const QString &script, const QStringList &arguments)
{
    m_process.setProcessEnvironment(m_bus.environment());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"), QStringList{script} + arguments);
    return m_bus.waitForName(PolkitName);
}

void PolkitStandIn::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}
