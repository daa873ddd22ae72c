// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DBusChargeClient.h"

#include "app/L.h"
#include "charge1interface.h"
#include "platform/ChargePropertyCache.h"
#include "platform/PlatformLog.h"
#include "shared/ChargeBus.h"
#include "shared/ChargeErrorText.h"
#include "shared/ChargeErrors.h"

#include <QDBusPendingCallWatcher>
#include <QEventLoop>

namespace
{
// The proxy's own name for the interface, as generated from the interface file.
const QString Interface = QString::fromLatin1(OrgVoltquillCharge1Interface::staticInterfaceName());
} // namespace

DBusChargeClient::DBusChargeClient(QDBusConnection bus, QString sysfsRoot)
    : m_bus(std::move(bus)), m_proxy(std::make_unique<OrgVoltquillCharge1Interface>(
                                 ChargeBus::serviceName, ChargeBus::objectPath, m_bus)),
      m_properties(std::make_unique<ChargePropertyCache>(m_bus, ChargeBus::serviceName,
                                                         ChargeBus::objectPath, Interface)),
      m_held(std::move(sysfsRoot))
{
    m_proxy->setTimeout(QueryTimeoutMs);
}

DBusChargeClient::~DBusChargeClient() = default;

bool DBusChargeClient::isMCLSupported()
{
    auto reply = m_proxy->IsSupported();
    reply.waitForFinished();
    qCDebug(lcClient, "IsSupported: %s",
            reply.isValid() ? (reply.value() ? "yes" : "no") : qPrintable(reply.error().name()));
    return reply.isValid() && reply.value();
}

std::optional<QList<qint64>> DBusChargeClient::availableChargeLimits()
{
    auto reply = m_proxy->AvailableLimits();
    reply.waitForFinished();
    if (!reply.isValid()) {
        qCDebug(lcClient, "AvailableLimits: %s", qPrintable(reply.error().name()));
        return std::nullopt;
    }
    QList<qint64> limits;
    for (const char limit : reply.value())
        limits.append(static_cast<uchar>(limit));
    qCDebug(lcClient) << "AvailableLimits:" << limits;
    return limits;
}

bool DBusChargeClient::readProperties()
{
    if (m_properties->values())
        return true;
    QDBusMessage getAll = QDBusMessage::createMethodCall(
        ChargeBus::serviceName, ChargeBus::objectPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    getAll << Interface;
    const QDBusMessage answer = m_bus.call(getAll, QDBus::Block, QueryTimeoutMs);
    const QDBusReply<QVariantMap> reply = answer;
    if (!reply.isValid()) {
        qCDebug(lcClient, "GetAll: %s", qPrintable(reply.error().name()));
        return false;
    }
    qCDebug(lcClient) << "GetAll:" << reply.value();
    m_properties->store(reply.value(), answer.service());
    return m_properties->values().has_value();
}

quint64 DBusChargeClient::getMCLLimit()
{
    if (const auto held = m_held.read()) {
        qCDebug(lcClient, "end threshold in force: %d %%", *held);
        return *held >= 1 && *held <= 99 ? static_cast<quint64>(*held) : 100;
    }
    // Without an answer nothing is known to be in force.
    return readProperties() ? m_properties->values()->currentLimit : 100;
}

qint64 DBusChargeClient::isMCLCurrentlyEnabled()
{
    const auto held = m_held.read();
    if (held && *held >= 1 && *held <= 99)
        return 1;
    if (!readProperties())
        return 0;
    const ChargePropertyCache::Values &values = *m_properties->values();
    // The battery charges fully: a limit is kept only if the service
    // suspended it (a reset it has yet to write over is no limit in force).
    return values.enabled && (!held || values.suspended) ? 1 : 0;
}

std::optional<ChargeError> DBusChargeClient::setMCLLimit(quint8 limit)
{
    qCDebug(lcClient, "SetLimit(%d)", limit);
    return command(QStringLiteral("SetLimit"), {QVariant::fromValue(limit)},
                   limit < 100
                       ? L("Ladelimit %d %% gilt, wird nach einem Neustart aber nicht "
                           "wiederhergestellt.",
                           limit)
                       : L("Ladelimit aus; nach einem Neustart gilt aber wieder das bisherige "
                           "Ladelimit."));
}

std::optional<ChargeError> DBusChargeClient::temporarilyDisableMCL()
{
    qCDebug(lcClient, "SuspendUntilUnplugged()");
    return command(QStringLiteral("SuspendUntilUnplugged"), {},
                   L("Der Akku lädt einmalig voll; nach einem Neustart gilt das Ladelimit aber "
                     "wieder."));
}

std::optional<ChargeError> DBusChargeClient::enableMCL()
{
    qCDebug(lcClient, "Enable()");
    return command(QStringLiteral("Enable"), {},
                   L("Das Ladelimit gilt wieder; nach einem Neustart lädt der Akku aber erneut "
                     "einmalig voll."));
}

std::optional<ChargeError> DBusChargeClient::command(const QString &method,
                                                     const QVariantList &arguments,
                                                     const QString &unsavedWarning)
{
    if (m_waitingForPerson)
        return ChargeError{ChargeErrors::Busy, 0,
                           L("Eine Änderung wartet noch auf die Anmeldung; das Ladelimit bleibt "
                             "unverändert.")};
    QDBusMessage call = QDBusMessage::createMethodCall(ChargeBus::serviceName,
                                                       ChargeBus::objectPath, Interface, method);
    call.setArguments(arguments);
    QDBusMessage answer = m_bus.call(call, QDBus::Block, CommandTimeoutMs);
    if (answer.errorName() == ChargeErrors::InteractiveAuthorizationRequired)
        answer = askingPerson(call);
    // The change signals may still be on their way: the next query reads anew.
    m_properties->drop();
    if (answer.type() == QDBusMessage::ReplyMessage) {
        qCDebug(lcClient, "answer: done");
        return std::nullopt;
    }
    const QDBusError error(answer);
    qCDebug(lcClient, "answer: %s (%s)", qPrintable(error.name()), qPrintable(error.message()));
    if (error.name() == ChargeErrors::StateNotSaved)
        return ChargeError{error.name(), static_cast<qint64>(error.type()), unsavedWarning, true};
    return describe(error, ChargeErrorText::serviceGone(m_bus, error.name()));
}

QDBusMessage DBusChargeClient::askingPerson(QDBusMessage call)
{
    qCDebug(lcClient, "%s: polkit asks the user", qPrintable(call.member()));
    call.setInteractiveAuthorizationAllowed(true);
    QDBusPendingCallWatcher watcher(m_bus.asyncCall(call, ChargeBus::interactiveCommandWaitMs));
    m_waitingForPerson = true;
    if (m_authorizationWait)
        m_authorizationWait(true);
    if (!watcher.isFinished()) {
        // The tray stays drawn and its menu open while the password dialog is up.
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    m_waitingForPerson = false;
    if (m_authorizationWait)
        m_authorizationWait(false);
    return watcher.reply();
}

ChargeError DBusChargeClient::describe(const QDBusError &error, bool serviceGone)
{
    const QString text = ChargeErrorText::describe(error.name(), error.message(), serviceGone);
    return {error.name(), static_cast<qint64>(error.type()), text};
}
