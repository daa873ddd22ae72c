#include "ChargeService.h"

#include "BatteryControl.h"
#include "ChargeErrors.h"
#include "PolkitAuthority.h"
#include "StateStore.h"

#include <QDBusMessage>

ChargeService::ChargeService(BatteryControl &batteries, const StateStore &store,
                             PolkitAuthority *authority, QDBusConnection bus, QObject *parent)
    : QObject(parent), m_batteries(batteries), m_store(store), m_authority(authority),
      m_bus(std::move(bus))
{
}

void ChargeService::start()
{
    const auto kept = m_store.load(m_batteries.availableLimits());
    const auto hardware = m_batteries.endThreshold();
    if (kept && kept->limit < 100)
        m_state = *kept;
    else if (hardware && isPlausible(*hardware))
        m_state = {*hardware, false}; // set before us, or by another tool
    else
        m_state = {};
    m_adapterWasOnline = m_batteries.adapterOnline();
    reapply("start");
}

bool ChargeService::IsSupported()
{
    Q_EMIT called();
    return m_batteries.isSupported();
}

QByteArray ChargeService::AvailableLimits()
{
    Q_EMIT called();
    QByteArray limits;
    if (m_batteries.isSupported())
        for (int limit : m_batteries.availableLimits())
            limits.append(static_cast<char>(limit));
    return limits;
}

uchar ChargeService::Limit()
{
    Q_EMIT called();
    return currentLimit();
}

bool ChargeService::IsEnabled()
{
    Q_EMIT called();
    return isEnabled();
}

void ChargeService::SetLimit(uchar limit)
{
    Q_EMIT called();
    if (!m_batteries.isSupported())
        return refuse(ChargeErrors::NotSupported,
                      QStringLiteral("Kein Akku dieses Rechners lässt ein Ladelimit zu."));
    const QList<int> &offered = m_batteries.availableLimits();
    if (!offered.contains(limit)) {
        QStringList names;
        for (int value : offered)
            names << QString::number(value);
        return refuse(ChargeErrors::InvalidLimit,
                      QStringLiteral("%1 % ist kein Ladelimit dieses Akkus (angeboten: %2).")
                          .arg(limit)
                          .arg(names.join(QStringLiteral(", "))));
    }
    if (m_state == ChargeState{limit, false})
        return;
    authorizeThen([this, limit] { return commit({limit, false}); });
}

void ChargeService::SuspendUntilUnplugged()
{
    Q_EMIT called();
    if (!m_batteries.isSupported())
        return refuse(ChargeErrors::NotSupported,
                      QStringLiteral("Kein Akku dieses Rechners lässt ein Ladelimit zu."));
    const QString noLimit = QStringLiteral("Es ist kein Ladelimit gesetzt, das ausgesetzt werden "
                                           "könnte.");
    if (m_state.limit >= 100)
        return refuse(ChargeErrors::NoLimit, noLimit);
    if (m_state.suspended)
        return;
    authorizeThen([this, noLimit]() -> std::optional<Failure> {
        // The limit may have gone while polkit was asked.
        if (m_state.limit >= 100)
            return Failure{ChargeErrors::NoLimit, noLimit};
        return commit({m_state.limit, true});
    });
}

void ChargeService::Enable()
{
    Q_EMIT called();
    if (!m_state.suspended)
        return;
    authorizeThen([this] { return commit({m_state.limit, false}); });
}

void ChargeService::refuse(const QString &name, const QString &message)
{
    sendErrorReply(name, message);
}

void ChargeService::authorizeThen(Action action)
{
    if (!m_authority) {
        if (const auto failure = action())
            sendErrorReply(failure->name, failure->message);
        return;
    }
    setDelayedReply(true);
    const QDBusMessage call = message();
    const bool interactive = call.isInteractiveAuthorizationAllowed();
    ++m_pending;
    m_authority->check(
        call.service(), ActionId, interactive,
        [this, call, interactive, action = std::move(action)](PolkitAuthority::Verdict verdict) {
            --m_pending;
            std::optional<Failure> failure;
            if (verdict == PolkitAuthority::Verdict::Allowed)
                failure = action();
            else if (verdict == PolkitAuthority::Verdict::ChallengeRequired && !interactive)
                failure = Failure{ChargeErrors::InteractiveAuthorizationRequired,
                                  QStringLiteral("Zum Ändern des Ladelimits ist eine Anmeldung "
                                                 "nötig.")};
            else
                failure = Failure{ChargeErrors::NotAuthorized,
                                  QStringLiteral("Keine Berechtigung, das Ladelimit zu ändern.")};
            m_bus.send(failure ? call.createErrorReply(failure->name, failure->message)
                               : call.createReply());
        });
}

std::optional<ChargeService::Failure> ChargeService::commit(ChargeState wanted)
{
    const auto outcome = m_batteries.apply(wanted.target());
    if (!outcome.ok)
        return Failure{ChargeErrors::WriteFailed, outcome.failure};
    // Drivers round: keep what the driver took, not what was asked.
    if (!wanted.suspended)
        wanted.limit = outcome.accepted;
    else
        m_adapterWasOnline = m_batteries.adapterOnline();
    return adopt(wanted);
}

std::optional<ChargeService::Failure> ChargeService::adopt(const ChargeState &state)
{
    const ChargeState before = m_state;
    m_state = state;
    const bool saved = m_store.save(m_state);
    announce(before);
    if (!saved)
        return Failure{ChargeErrors::StateNotSaved,
                       QStringLiteral("Das Ladelimit gilt, konnte aber nicht für den nächsten "
                                      "Start gespeichert werden (%1).")
                           .arg(m_store.filePath())};
    return std::nullopt;
}

void ChargeService::reapply(const char *why)
{
    // Without a kept limit the batteries are left as they are.
    const int target = m_state.target();
    if (m_state.limit >= 100 || !m_batteries.isSupported() || !m_batteries.differsFrom(target))
        return;
    const auto outcome = m_batteries.apply(target);
    if (outcome.ok)
        qInfo("Ladeschwelle %d %% wieder gesetzt (%s)", target, why);
    else
        qWarning("Ladeschwelle %d %% nicht gesetzt (%s): %s", target, why,
                 qPrintable(outcome.failure));
}

void ChargeService::suppliesChanged()
{
    m_batteries.rescan();
    Q_EMIT rescanned();

    const bool online = m_batteries.adapterOnline();
    const bool unplugged = m_adapterWasOnline && !online;
    m_adapterWasOnline = online;
    if (m_state.suspended) {
        if (unplugged) {
            // The one full charge is over.
            if (const auto failure = commit({m_state.limit, false}))
                qWarning("Aussetzen nicht beendet: %s", qPrintable(failure->message));
        }
        return;
    }

    const auto hardware = m_batteries.endThreshold();
    if (hardware && isPlausible(*hardware) && *hardware != m_state.limit) {
        // Rounded by the driver, or set by someone else: show what holds.
        adopt({*hardware, false});
    } else if (m_state.limit < 100 && m_batteries.differsFrom(m_state.limit)) {
        // A driver reset (many write 100 at load) or a new battery. Two
        // within a second mean something fights us: do not join in.
        if (m_lastReset.isValid() && m_lastReset.elapsed() < 1000)
            return;
        m_lastReset.start();
        reapply("Treiber zurückgesetzt");
    }
}

void ChargeService::prepareForSleep(bool sleeping)
{
    if (sleeping)
        return;
    m_batteries.rescan();
    reapply("nach dem Aufwachen");
}

bool ChargeService::isPlausible(int hardware) const
{
    // A driver's 0 (often "not set") or another tool's 4 % is no limit to keep:
    // written back after a suspension it would stop the battery from charging.
    const QList<int> &offered = m_batteries.availableLimits();
    return hardware < 100 && !offered.isEmpty() && hardware >= offered.first();
}

void ChargeService::announce(const ChargeState &before)
{
    QVariantMap changed;
    if (before.target() != m_state.target())
        changed.insert(QStringLiteral("CurrentLimit"), QVariant::fromValue(currentLimit()));
    if (before.limit != m_state.limit)
        changed.insert(QStringLiteral("KeptLimit"), QVariant::fromValue(keptLimit()));
    if ((before.limit < 100) != isEnabled())
        changed.insert(QStringLiteral("Enabled"), isEnabled());
    if (before.suspended != m_state.suspended)
        changed.insert(QStringLiteral("Suspended"), isSuspended());
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << ServiceName << changed << QStringList();
    m_bus.send(signal);
}
