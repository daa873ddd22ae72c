#include "platform/DBusChargeClient.h"

#include "app/L.h"
#include "charge1interface.h"
#include "platform/ChargePropertyCache.h"

#include <QDBusConnectionInterface>

namespace
{
const QString ServiceName = QStringLiteral("org.voltquill.Charge1");
const QString ObjectPath = QStringLiteral("/org/voltquill/Charge1");
const QString Interface = QStringLiteral("org.voltquill.Charge1");

struct Description {
    const char *name;
    const char *text;
};

// The service's named refusals and the bus's own failures.
const Description descriptions[] = {
    {"org.voltquill.Charge1.Error.NotSupported", "Dieser Akku lässt kein Ladelimit zu."},
    {"org.voltquill.Charge1.Error.InvalidLimit", "Dieses Ladelimit bietet der Akku nicht an."},
    {"org.voltquill.Charge1.Error.NoLimit",
     "Es ist kein Ladelimit gesetzt, das ausgesetzt werden könnte."},
    {"org.voltquill.Charge1.Error.NotAuthorized", "Keine Berechtigung, das Ladelimit zu ändern."},
    {"org.voltquill.Charge1.Error.WriteFailed",
     "Der Akkutreiber hat die Ladeschwelle nicht angenommen."},
    {"org.voltquill.Charge1.Error.StateNotSaved",
     "Das Ladelimit gilt, wird nach einem Neustart aber nicht wiederhergestellt."},
    {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
     "Zum Ändern des Ladelimits ist eine Anmeldung als Administrator nötig."},
    {"org.freedesktop.DBus.Error.ServiceUnknown", "Der Ladedienst ist nicht erreichbar."},
    {"org.freedesktop.DBus.Error.NameHasNoOwner", "Der Ladedienst ist nicht erreichbar."},
    {"org.freedesktop.DBus.Error.Disconnected", "Keine Verbindung zum Systembus."},
    {"org.freedesktop.DBus.Error.NoServer", "Keine Verbindung zum Systembus."},
    {"org.freedesktop.DBus.Error.AccessDenied", "Der Zugriff auf den Ladedienst wurde verweigert."},
};

QString describeName(const QString &name, bool serviceGone)
{
    for (const Description &description : descriptions)
        if (name == QLatin1String(description.name))
            return L(description.text);
    if (name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
        name == QLatin1String("org.freedesktop.DBus.Error.Timeout") ||
        name == QLatin1String("org.freedesktop.DBus.Error.TimedOut"))
        return serviceGone ? L("Der Ladedienst wurde beendet, bevor er antworten konnte.")
                           : L("Der Ladedienst antwortet nicht.");
    if (name.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn.")))
        return L("Der Ladedienst ist nicht erreichbar.");
    return {};
}
} // namespace

DBusChargeClient::DBusChargeClient(QDBusConnection bus)
    : m_bus(std::move(bus)),
      m_proxy(std::make_unique<OrgVoltquillCharge1Interface>(ServiceName, ObjectPath, m_bus)),
      m_properties(std::make_unique<ChargePropertyCache>(m_bus, ServiceName, ObjectPath, Interface))
{
    m_proxy->setTimeout(QueryTimeoutMs);
}

DBusChargeClient::~DBusChargeClient() = default;

bool DBusChargeClient::isMCLSupported()
{
    auto reply = m_proxy->IsSupported();
    reply.waitForFinished();
    return reply.isValid() && reply.value();
}

std::optional<QList<qint64>> DBusChargeClient::availableChargeLimits()
{
    auto reply = m_proxy->AvailableLimits();
    reply.waitForFinished();
    if (!reply.isValid())
        return std::nullopt;
    QList<qint64> limits;
    for (const char limit : reply.value())
        limits.append(static_cast<uchar>(limit));
    return limits;
}

bool DBusChargeClient::readProperties()
{
    if (m_properties->values())
        return true;
    QDBusMessage getAll = QDBusMessage::createMethodCall(
        ServiceName, ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("GetAll"));
    getAll << Interface;
    const QDBusMessage answer = m_bus.call(getAll, QDBus::Block, QueryTimeoutMs);
    const QDBusReply<QVariantMap> reply = answer;
    if (!reply.isValid())
        return false;
    m_properties->store(reply.value(), answer.service());
    return m_properties->values().has_value();
}

quint64 DBusChargeClient::getMCLLimit()
{
    // Without an answer nothing is known to be in force.
    return readProperties() ? m_properties->values()->currentLimit : 100;
}

qint64 DBusChargeClient::isMCLCurrentlyEnabled()
{
    return readProperties() && m_properties->values()->enabled ? 1 : 0;
}

std::optional<ChargeError> DBusChargeClient::setMCLLimit(quint8 limit)
{
    m_proxy->setTimeout(CommandTimeoutMs);
    return finish(m_proxy->SetLimit(limit));
}

std::optional<ChargeError> DBusChargeClient::temporarilyDisableMCL()
{
    m_proxy->setTimeout(CommandTimeoutMs);
    return finish(m_proxy->SuspendUntilUnplugged());
}

std::optional<ChargeError> DBusChargeClient::enableMCL()
{
    m_proxy->setTimeout(CommandTimeoutMs);
    return finish(m_proxy->Enable());
}

template <typename Reply> std::optional<ChargeError> DBusChargeClient::finish(Reply reply)
{
    reply.waitForFinished();
    m_proxy->setTimeout(QueryTimeoutMs);
    // The change signals may still be on their way: the next query reads anew.
    m_properties->drop();
    if (!reply.isError())
        return std::nullopt;
    const QDBusError error = reply.error();
    bool gone = false;
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ||
        error.type() == QDBusError::TimedOut) {
        // A timeout and a service that died mid-call look alike: ask the bus.
        const QDBusReply<bool> owned = m_bus.interface()->isServiceRegistered(ServiceName);
        gone = owned.isValid() && !owned.value();
    }
    return describe(error, gone);
}

ChargeError DBusChargeClient::describe(const QDBusError &error, bool serviceGone)
{
    QString text = describeName(error.name(), serviceGone);
    if (text.isEmpty())
        text = error.message().isEmpty() ? L("Der Ladedienst hat den Befehl abgelehnt.")
                                         : L("Der Ladedienst meldet: %@", error.message());
    return {error.name(), static_cast<qint64>(error.type()), text};
}
