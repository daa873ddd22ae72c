// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChargeService.h"

#include "BatteryControl.h"
#include "ChargeLog.h"
#include "PolkitAuthority.h"
#include "StateStore.h"
#include "shared/ChargeBus.h"
#include "shared/ChargeErrors.h"

#include <QDBusMessage>
#include <QDateTime>

namespace
{
const char *verdictName(PolkitAuthority::Verdict verdict)
{
    switch (verdict) {
    case PolkitAuthority::Verdict::Allowed:
        return "allowed";
    case PolkitAuthority::Verdict::ChallengeRequired:
        return "needs authentication";
    case PolkitAuthority::Verdict::NoAnswer:
        return "no answer";
    case PolkitAuthority::Verdict::Denied:
        break;
    }
    return "denied";
}
} // namespace

ChargeService::ChargeService(BatteryControl &batteries, const StateStore &store,
                             PolkitAuthority *authority, QDBusConnection bus, QObject *parent)
    : QObject(parent), m_batteries(batteries), m_store(store), m_authority(authority),
      m_bus(std::move(bus)), m_quota(m_bus)
{
    // An adapter that reads offline only for a moment (a USB-PD source
    // renegotiating, an attribute caught mid-write) was not unplugged.
    m_unplugged.setSingleShot(true);
    m_unplugged.setInterval(100);
    connect(&m_unplugged, &QTimer::timeout, this, [this] {
        if (!m_state.suspended || m_batteries.adapterOnline())
            return;
        // The one full charge is over.
        qCDebug(lcCharge, "adapter still offline: the suspension ends");
        if (const auto failure = commit({m_state.limit, false}))
            qCWarning(lcCharge, "Aussetzen nicht beendet: %s", qPrintable(failure->message));
    });
    bool ok = false;
    const int overshootMs = qEnvironmentVariableIntValue("VOLTQUILL_OVERSHOOT_MS", &ok);
    if (ok && overshootMs > 0)
        m_overshootMs = overshootMs;
    m_watch.setInterval(std::min(WatchMs, std::max(50, m_overshootMs / 4)));
    connect(&m_watch, &QTimer::timeout, this, [this] { enforce("Ladestand"); });
}

bool ChargeService::needsWatching() const
{
    if (m_state.suspended || !m_quota.isEmpty() || m_tries.isRetryPending())
        return true;
    if (m_state.target() >= 100 || !m_batteries.adapterOnline())
        return false;
    return m_batteries.holdsByBehaviour() || m_batteries.chargingAbove(m_state.target());
}

void ChargeService::stop()
{
    if (!m_batteries.holdsByBehaviour() || !m_batteries.isInhibited())
        return;
    if (const auto failure = m_batteries.steer(100))
        qCWarning(lcCharge, "Laden nicht wieder erlaubt: %s", qPrintable(*failure));
    else
        qCInfo(lcCharge, "Dienst endet: charge_behaviour wieder auto");
}

uchar ChargeService::firmwareIgnoresLimit() const
{
    return m_overshoot && m_overshoot->limit == m_state.target() && !m_state.suspended
               ? static_cast<uchar>(m_overshoot->limit)
               : 0;
}

QString ChargeService::heldBy() const
{
    switch (m_batteries.way()) {
    case BatteryControl::Way::Switch:
        return QStringLiteral("switch");
    case BatteryControl::Way::Behaviour:
        return QStringLiteral("behaviour");
    case BatteryControl::Way::Threshold:
        break;
    }
    return QStringLiteral("threshold");
}

void ChargeService::start()
{
    const auto kept = m_store.load(m_batteries.availableLimits());
    m_state = kept && kept->limit < 100 ? *kept : ChargeState{};
    m_overshoot = m_store.loadOvershoot();
    m_adapterWasOnline = m_batteries.adapterOnline();
    if (m_state.suspended && !m_adapterWasOnline) {
        // Unplugged while the service was not running (shut down when full,
        // booted on battery): the one full charge is over.
        m_state.suspended = false;
        qCDebug(lcCharge, "unplugged while not running: the suspension ended");
        if (!m_store.save(m_state))
            qCWarning(lcCharge, "Ende des Aussetzens nicht gespeichert (%s)",
                      qPrintable(m_store.filePath()));
    }
    // What others did meanwhile counts as if the service had been running.
    enforce("Start");
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
    if (refusedAsBusy())
        return;
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
    if (m_state == ChargeState{limit, false} && batteriesAgree())
        return;
    authorizeThen([this, limit] { return commit({limit, false}); });
}

void ChargeService::SuspendUntilUnplugged()
{
    Q_EMIT called();
    if (refusedAsBusy())
        return;
    if (!m_batteries.isSupported())
        return refuse(ChargeErrors::NotSupported,
                      QStringLiteral("Kein Akku dieses Rechners lässt ein Ladelimit zu."));
    const QString noLimit = QStringLiteral("Es ist kein Ladelimit gesetzt, das ausgesetzt werden "
                                           "könnte.");
    if (m_state.limit >= 100)
        return refuse(ChargeErrors::NoLimit, noLimit);
    if (m_state.suspended && batteriesAgree())
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
    if (refusedAsBusy())
        return;
    if (!m_state.suspended && (m_state.limit >= 100 || batteriesAgree()))
        return;
    authorizeThen([this] { return commit({m_state.limit, false}); });
}

void ChargeService::refuse(const QString &name, const QString &message)
{
    // A caller that expects no answer gets none: a flood of such calls
    // costs no replies.
    if (!this->message().isReplyRequired())
        return;
    qCDebug(lcCharge, "%s refused: %s", qPrintable(this->message().member()), qPrintable(message));
    sendErrorReply(name, message);
}

bool ChargeService::refusedAsBusy()
{
    if (!m_authority || m_quota.hasRoom(message().service()))
        return false;
    refuse(ChargeErrors::Busy,
           QStringLiteral("Zu viele Anfragen warten auf eine Berechtigung; das Ladelimit bleibt "
                          "unverändert. Bitte gleich noch einmal versuchen."));
    return true;
}

void ChargeService::authorizeThen(Action action)
{
    if (!m_authority) {
        if (const auto failure = action()) {
            qCDebug(lcCharge, "%s failed: %s", qPrintable(message().member()),
                    qPrintable(failure->message));
            sendErrorReply(failure->name, failure->message);
        }
        return;
    }
    const QDBusMessage call = message();
    const QString caller = call.service();
    qCDebug(lcCharge, "%s from %s: asking polkit", qPrintable(call.member()), qPrintable(caller));
    setDelayedReply(true);
    const bool interactive = call.isInteractiveAuthorizationAllowed();
    const uint user = m_quota.take(caller);
    m_authority->check(
        caller, ActionId, interactive,
        [this, call, caller, user, interactive,
         action = std::move(action)](PolkitAuthority::Verdict verdict) {
            m_quota.release(user);
            qCDebug(lcCharge, "polkit: %s %s for %s (interactive: %s)", qPrintable(call.member()),
                    verdictName(verdict), qPrintable(caller), interactive ? "yes" : "no");
            std::optional<Failure> failure;
            if (verdict == PolkitAuthority::Verdict::Allowed)
                failure = action();
            else if (verdict == PolkitAuthority::Verdict::ChallengeRequired && !interactive)
                failure = Failure{ChargeErrors::InteractiveAuthorizationRequired,
                                  QStringLiteral("Zum Ändern des Ladelimits ist eine Anmeldung "
                                                 "nötig.")};
            else if (verdict == PolkitAuthority::Verdict::NoAnswer)
                failure = Failure{ChargeErrors::AuthorizationTimedOut,
                                  QStringLiteral("polkit hat nicht rechtzeitig geantwortet; das "
                                                 "Ladelimit bleibt unverändert.")};
            else
                failure = Failure{ChargeErrors::NotAuthorized,
                                  QStringLiteral("Keine Berechtigung, das Ladelimit zu ändern.")};
            if (failure)
                qCDebug(lcCharge, "%s failed: %s", qPrintable(call.member()),
                        qPrintable(failure->message));
            m_bus.send(failure ? call.createErrorReply(failure->name, failure->message)
                               : call.createReply());
            Q_EMIT called();
        });
}

std::optional<ChargeService::Failure> ChargeService::commit(ChargeState wanted)
{
    m_tries.startAfresh();
    const int target = wanted.target();
    qCDebug(lcCharge, "writing %d %% (limit %d %%%s)", target, wanted.limit,
            wanted.suspended ? ", suspended" : "");
    const auto outcome = m_batteries.apply(target);
    const auto notTaken = [&](const QString &why) {
        // A write refused half-way (the end taken, the start refused) must
        // not stay behind, to be adopted later as if another program had set
        // it: the kept state is put back now, and tried again later.
        if (m_batteries.thresholdsDiffer(m_state.target()))
            m_batteries.apply(m_state.target());
        retryLater();
        return Failure{ChargeErrors::WriteFailed, why};
    };
    if (!outcome.ok)
        return notTaken(outcome.failure);
    // Drivers round: keep what the driver took, not what was asked, as long
    // as it is a limit at all.
    if (!wanted.suspended && outcome.accepted != target && isPlausible(outcome.accepted))
        wanted.limit = outcome.accepted;
    if (m_batteries.differsFrom(wanted.target()))
        return notTaken(QStringLiteral("Die Ladeschwelle ist nach dem Schreiben %1 % statt %2 %.")
                            .arg(outcome.accepted)
                            .arg(wanted.target()));
    if (wanted.suspended)
        m_adapterWasOnline = m_batteries.adapterOnline();
    return adopt(wanted);
}

std::optional<ChargeService::Failure> ChargeService::adopt(const ChargeState &state)
{
    const ChargeState before = m_state;
    const uchar ignoredBefore = firmwareIgnoresLimit();
    m_state = state;
    m_overSince.invalidate();
    announceWatch(ignoredBefore, heldBy());
    if (before.suspended != m_state.suspended)
        qCDebug(lcCharge, "%s (limit %d %%)",
                m_state.suspended ? "suspended until unplugged" : "suspension over", m_state.limit);
    const bool saved = m_store.save(m_state);
    announce(before);
    watchCharge();
    if (!saved)
        return Failure{ChargeErrors::StateNotSaved,
                       QStringLiteral("Das Ladelimit gilt, konnte aber nicht für den nächsten "
                                      "Start gespeichert werden (%1).")
                           .arg(m_store.filePath())};
    return std::nullopt;
}

bool ChargeService::batteriesAgree() const
{
    // Without a kept limit the batteries are left as they are.
    if (!m_state.suspended && m_state.limit >= 100)
        return !m_batteries.differsFrom(100);
    return !m_batteries.differsFrom(m_state.target());
}

void ChargeService::enforce(const char *why)
{
    if (!m_batteries.isSupported())
        return;
    const bool hasThreshold = !m_batteries.family().byBehaviour;
    const auto found = hasThreshold ? m_batteries.endThreshold() : std::nullopt;
    // 1. A threshold caught empty may be another writer's write in the
    //    middle: what it writes may be a limit to adopt, so read again first.
    if (hasThreshold && !found && m_tries.retryIn(ReadAgainMs)) {
        qCDebug(lcCharge, "threshold unreadable (%s): reading again", why);
        return;
    }
    // 2. Outside a suspension, a limit set by another program (or rounded by
    //    the driver) holds: it becomes the kept limit.
    if (!m_state.suspended && found && isPlausible(*found) && *found != m_state.limit) {
        qCInfo(lcCharge, "Ladeschwelle %d %% übernommen (%s)", *found, why);
        if (const auto failure = adopt({*found, false}))
            qCWarning(lcCharge, "%s", qPrintable(failure->message));
    }
    watchCharge();
    // 3. Nothing kept: thresholds are left as they are; a charge the service
    //    inhibited itself is allowed again.
    if (!m_state.suspended && m_state.limit >= 100 && !m_batteries.holdsByBehaviour())
        return;
    // 4. Held through charge_behaviour: stop or allow charging.
    const int target = m_state.target();
    if (m_batteries.holdsByBehaviour() && !steerCharge(target, why))
        return;
    // 5. Anything else on the batteries (a reset to 100, a 0, a value not
    //    offered, the old value during a suspension) is written over.
    if (m_batteries.thresholdsDiffer(target))
        writeOver(target, why);
    else
        m_tries.settled();
}

bool ChargeService::steerCharge(int target, const char *why)
{
    // Stopping and allowing the charge is how this way holds the limit, not
    // a fight with the driver: not counted as a rewrite.
    const bool inhibited = m_batteries.isInhibited();
    if (const auto failure = m_batteries.steer(target)) {
        qCWarning(lcCharge, "Ladelimit %d %% nicht gehalten (%s): %s", target, why,
                  qPrintable(*failure));
        retryLater();
        return false;
    }
    if (inhibited != m_batteries.isInhibited())
        qCInfo(lcCharge, "Laden %s (Limit %d %%)", inhibited ? "wieder erlaubt" : "gestoppt",
               target);
    return true;
}

void ChargeService::writeOver(int target, const char *why)
{
    if (m_tries.hasGivenUp())
        return;
    if (!m_tries.takeRewrite()) {
        qCWarning(lcCharge,
                  "Ladeschwelle %d %% hält nicht, sie ist wieder %d %%: kein neuer Versuch bis "
                  "zum nächsten Befehl, Aufwachen oder Ein- und Ausstecken.",
                  target, m_batteries.endThreshold().value_or(-1));
        return;
    }
    qCDebug(lcCharge, "threshold %d %% found, %d %% kept: writing it again (%s)",
            m_batteries.endThreshold().value_or(-1), target, why);
    const auto outcome = m_batteries.apply(target);
    if (outcome.ok && !m_batteries.differsFrom(target)) {
        qCInfo(lcCharge, "Ladeschwelle %d %% wieder gesetzt (%s)", target, why);
        m_tries.settled();
        announce(m_state, true);
        return;
    }
    qCWarning(lcCharge, "Ladeschwelle %d %% nicht gesetzt (%s): %s", target, why,
              outcome.ok ? "der Treiber behält einen anderen Wert" : qPrintable(outcome.failure));
    retryLater();
}

void ChargeService::watchCharge()
{
    const int target = m_state.target();
    const bool online = m_batteries.adapterOnline();
    if (online && target < 100) {
        if (!m_watch.isActive())
            m_watch.start();
    } else {
        m_watch.stop();
    }
    if (firmwareIgnoresLimit() != 0)
        return; // already reported for this limit
    const auto above =
        online && target < 100 ? m_batteries.chargingAbove(target + OvershootPoints) : std::nullopt;
    if (!above) {
        m_overSince.invalidate();
        return;
    }
    if (!m_overSince.isValid()) {
        qCDebug(lcCharge, "%s charges at %d %%, above the limit of %d %%",
                qPrintable(above->battery), above->percent, target);
        m_overSince.start();
        return;
    }
    if (m_overSince.elapsed() >= m_overshootMs)
        reportOvershoot(*above);
}

void ChargeService::reportOvershoot(const BatteryControl::Charge &charge)
{
    const uchar ignoredBefore = firmwareIgnoresLimit();
    const QString heldByBefore = heldBy();
    const int limit = m_state.target();
    m_overshoot = StateStore::Overshoot{limit, charge.percent, charge.battery,
                                        QDateTime::currentDateTimeUtc().toString(Qt::ISODate)};
    m_overSince.invalidate();
    qCWarning(lcCharge,
              "Die Firmware hält das Ladelimit von %d %% nicht ein: %s lädt seit %d s auf %d %%.",
              limit, qPrintable(charge.battery), m_overshootMs / 1000, charge.percent);
    if (!m_store.saveOvershoot(m_overshoot))
        qCWarning(lcCharge, "Beobachtung nicht gespeichert (%s)", qPrintable(m_store.filePath()));
    if (!m_batteries.holdsByBehaviour() && m_batteries.holdByBehaviour(true)) {
        qCWarning(lcCharge, "Das Ladelimit wird von nun an über charge_behaviour gehalten.");
        m_store.saveHeldByBehaviour(true);
    }
    announceWatch(ignoredBefore, heldByBefore);
}

void ChargeService::announceWatch(uchar ignoredBefore, const QString &heldByBefore)
{
    QVariantMap changed;
    if (ignoredBefore != firmwareIgnoresLimit())
        changed.insert(QStringLiteral("FirmwareIgnoresLimit"),
                       QVariant::fromValue(firmwareIgnoresLimit()));
    if (heldByBefore != heldBy())
        changed.insert(QStringLiteral("HeldBy"), heldBy());
    sendChanged(changed);
}

void ChargeService::retryLater(int ms)
{
    // When the tries are used up, the next power event, resume or command
    // tries again.
    m_tries.retryIn(ms);
}

void ChargeService::suppliesChanged()
{
    const QStringList batteriesBefore = m_batteries.batteryNames();
    m_batteries.rescan();
    Q_EMIT rescanned();

    const bool online = m_batteries.adapterOnline();
    const bool unplugged = m_adapterWasOnline && !online;
    // Only a plug event or a battery coming or going gives new tries: the
    // service's own writes are supply events too where files are watched.
    if (online != m_adapterWasOnline || m_batteries.batteryNames() != batteriesBefore)
        m_tries.startAfresh();
    m_adapterWasOnline = online;
    qCDebug(lcCharge, "power supplies changed: adapter %s", online ? "online" : "offline");
    if (m_state.suspended && unplugged)
        m_unplugged.start();
    enforce("Stromversorgung geändert");
}

void ChargeService::prepareForSleep(bool sleeping)
{
    if (sleeping)
        return;
    qCDebug(lcCharge, "woke up");
    m_batteries.rescan();
    m_tries.startAfresh();
    enforce("nach dem Aufwachen");
}

bool ChargeService::isPlausible(int hardware) const
{
    // A driver's 0 (often "not set"), another tool's 4 % or any value the
    // laptop does not offer is no limit to keep: written back after a
    // suspension it could stop the battery from charging. Such a value is
    // taken for a reset and written over.
    return hardware < 100 && m_batteries.availableLimits().contains(hardware);
}

void ChargeService::announce(const ChargeState &before, bool threshold)
{
    QVariantMap changed;
    if (threshold || before.target() != m_state.target())
        changed.insert(QStringLiteral("CurrentLimit"), QVariant::fromValue(currentLimit()));
    if (before.limit != m_state.limit)
        changed.insert(QStringLiteral("KeptLimit"), QVariant::fromValue(keptLimit()));
    if ((before.limit < 100) != isEnabled())
        changed.insert(QStringLiteral("Enabled"), isEnabled());
    if (before.suspended != m_state.suspended)
        changed.insert(QStringLiteral("Suspended"), isSuspended());
    sendChanged(changed);
}

void ChargeService::sendChanged(const QVariantMap &changed)
{
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        ChargeBus::objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << ChargeBus::interfaceName << changed << QStringList();
    m_bus.send(signal);
}
