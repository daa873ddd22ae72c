// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChargeCall.h"

#include "shared/ChargeBus.h"
#include "shared/ChargeErrorText.h"

#include <QDBusReply>

namespace
{
constexpr int QueryWaitMs = 2000;
} // namespace

ChargeCall::ChargeCall(QDBusConnection bus, bool mayAskPassword)
    : m_bus(std::move(bus)), m_mayAskPassword(mayAskPassword)
{
}

QDBusMessage ChargeCall::query(const QString &method) const
{
    const QDBusMessage call = QDBusMessage::createMethodCall(
        ChargeBus::serviceName, ChargeBus::objectPath, ChargeBus::interfaceName, method);
    return m_bus.call(call, QDBus::Block, QueryWaitMs);
}

QVariantMap ChargeCall::properties() const
{
    QDBusMessage getAll = QDBusMessage::createMethodCall(
        ChargeBus::serviceName, ChargeBus::objectPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    getAll << ChargeBus::interfaceName;
    const QDBusReply<QVariantMap> reply = m_bus.call(getAll, QDBus::Block, QueryWaitMs);
    return reply.isValid() ? reply.value() : QVariantMap();
}

QDBusMessage ChargeCall::command(const QString &method, const QVariantList &arguments) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        ChargeBus::serviceName, ChargeBus::objectPath, ChargeBus::interfaceName, method);
    call.setArguments(arguments);
    call.setInteractiveAuthorizationAllowed(m_mayAskPassword);
    return m_bus.call(call, QDBus::Block,
                      m_mayAskPassword ? ChargeBus::interactiveCommandWaitMs
                                       : ChargeBus::commandWaitMs);
}

QString ChargeCall::describe(const QDBusMessage &error) const
{
    return ChargeErrorText::describe(error.errorName(), error.errorMessage(),
                                     ChargeErrorText::serviceGone(m_bus, error.errorName()));
}
