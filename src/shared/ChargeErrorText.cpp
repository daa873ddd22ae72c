// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/ChargeErrorText.h"

#include "shared/ChargeBus.h"
#include "shared/ChargeErrors.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusReply>

namespace
{
struct Description {
    const QString &name;
    const char *text;
};

const QString ServiceUnknown = QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown");
const QString NameHasNoOwner = QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
const QString Disconnected = QStringLiteral("org.freedesktop.DBus.Error.Disconnected");
const QString NoServer = QStringLiteral("org.freedesktop.DBus.Error.NoServer");
const QString AccessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");

const char *const Unreachable =
    QT_TRANSLATE_NOOP("Voltquill", "Der Ladedienst ist nicht erreichbar.");

// The service's named refusals and the bus's own failures.
const Description descriptions[] = {
    {ChargeErrors::NotSupported,
     QT_TRANSLATE_NOOP("Voltquill", "Dieser Akku lässt kein Ladelimit zu.")},
    {ChargeErrors::InvalidLimit,
     QT_TRANSLATE_NOOP("Voltquill", "Dieses Ladelimit bietet der Akku nicht an.")},
    {ChargeErrors::NoLimit,
     QT_TRANSLATE_NOOP("Voltquill",
                       "Es ist kein Ladelimit gesetzt, das ausgesetzt werden könnte.")},
    {ChargeErrors::NotAuthorized,
     QT_TRANSLATE_NOOP("Voltquill", "Keine Berechtigung, das Ladelimit zu ändern.")},
    {ChargeErrors::WriteFailed,
     QT_TRANSLATE_NOOP("Voltquill", "Der Akkutreiber hat die Ladeschwelle nicht angenommen.")},
    {ChargeErrors::StateNotSaved,
     QT_TRANSLATE_NOOP("Voltquill", "Das Ladelimit gilt, wird nach einem Neustart aber nicht "
                                    "wiederhergestellt.")},
    {ChargeErrors::Busy, QT_TRANSLATE_NOOP("Voltquill", "Zu viele Anfragen warten auf eine "
                                                        "Berechtigung. Bitte gleich noch einmal "
                                                        "versuchen.")},
    {ChargeErrors::AuthorizationTimedOut,
     QT_TRANSLATE_NOOP("Voltquill", "Die Berechtigung konnte nicht rechtzeitig geprüft werden; das "
                                    "Ladelimit bleibt unverändert.")},
    {ChargeErrors::InteractiveAuthorizationRequired,
     QT_TRANSLATE_NOOP("Voltquill",
                       "Zum Ändern des Ladelimits ist eine Anmeldung als Administrator nötig.")},
    {ServiceUnknown, Unreachable},
    {NameHasNoOwner, Unreachable},
    {Disconnected, QT_TRANSLATE_NOOP("Voltquill", "Keine Verbindung zum Systembus.")},
    {NoServer, QT_TRANSLATE_NOOP("Voltquill", "Keine Verbindung zum Systembus.")},
    {AccessDenied,
     QT_TRANSLATE_NOOP("Voltquill", "Der Zugriff auf den Ladedienst wurde verweigert.")},
};

bool isTimeout(const QString &name)
{
    return name == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
           name == QLatin1String("org.freedesktop.DBus.Error.Timeout") ||
           name == QLatin1String("org.freedesktop.DBus.Error.TimedOut");
}

const char *knownText(const QString &name, bool serviceGone)
{
    for (const Description &description : descriptions)
        if (name == description.name)
            return description.text;
    if (isTimeout(name))
        return serviceGone
                   ? QT_TRANSLATE_NOOP("Voltquill", "Der Ladedienst wurde beendet, bevor er "
                                                    "antworten konnte.")
                   : QT_TRANSLATE_NOOP("Voltquill", "Der Ladedienst antwortet nicht.");
    if (name.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn.")))
        return Unreachable;
    return nullptr;
}
} // namespace

QString ChargeErrorText::describe(const QString &name, const QString &message, bool serviceGone)
{
    if (const char *known = knownText(name, serviceGone))
        return QCoreApplication::translate("Voltquill", known);
    if (message.isEmpty())
        return QCoreApplication::translate("Voltquill", "Der Ladedienst hat den Befehl abgelehnt.");
    return QCoreApplication::translate("Voltquill", "Der Ladedienst meldet: %@")
        .replace(QLatin1String("%@"), message);
}

bool ChargeErrorText::serviceGone(const QDBusConnection &bus, const QString &name)
{
    if (!isTimeout(name))
        return false;
    const QDBusReply<bool> owned = bus.interface()->isServiceRegistered(ChargeBus::serviceName);
    return owned.isValid() && !owned.value();
}
