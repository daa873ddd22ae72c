// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

const QString SingleInstance::serviceName = QStringLiteral("org.voltquill.Agent");
const QString SingleInstance::objectPath = QStringLiteral("/org/voltquill/Agent");

SingleInstance::SingleInstance(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus))
{
}

SingleInstance::Claim SingleInstance::claim()
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return Claim::Owner;
    // The object is in place before the name is, so a Reopen that comes right
    // after the name was taken finds it. Asking the bus for the name makes two
    // starts at the same moment safe: it goes to exactly one of them.
    m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        m_bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                           QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return Claim::Owner;
    if (reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Claim::Owner;
    m_bus.unregisterObject(objectPath);
    const QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName,
                                                             QStringLiteral("Reopen"));
    const QDBusMessage answer = m_bus.call(call, QDBus::Block, 5000);
    return answer.type() == QDBusMessage::ReplyMessage ? Claim::HandedOver : Claim::Failed;
}

void SingleInstance::Reopen()
{
    if (m_reopen)
        m_reopen();
}
