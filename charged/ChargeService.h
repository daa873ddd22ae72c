// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatteryControl.h"
#include "ChargeState.h"
#include "CheckQuota.h"
#include "RetryBudget.h"
#include "StateStore.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class PolkitAuthority;

// org.voltquill.Charge1: keeps one charge limit on every battery, across
// restarts, resumes and driver resets, and suspends it for one full charge.
// Every command: validate → answer at once if nothing changes (and the
// batteries agree) → polkit (delayed reply) → write → read back → announce →
// reply. The batteries' threshold is the truth for the limit: one rule for
// what others do to it, at start and while running (see enforce()).
class ChargeService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_PROPERTY(uchar CurrentLimit READ currentLimit)
    Q_PROPERTY(uchar KeptLimit READ keptLimit)
    Q_PROPERTY(bool Enabled READ isEnabled)
    Q_PROPERTY(bool Suspended READ isSuspended)
    Q_PROPERTY(uchar FirmwareIgnoresLimit READ firmwareIgnoresLimit)
    Q_PROPERTY(QString HeldBy READ heldBy)
public:
    static inline const QString ActionId = QStringLiteral("org.voltquill.charge.set-limit");

    // `authority` null: no polkit check (the session bus, where the caller
    // is the same user).
    ChargeService(BatteryControl &batteries, const StateStore &store, PolkitAuthority *authority,
                  QDBusConnection bus, QObject *parent = nullptr);

    // Takes the kept state and puts it on the batteries (boot, restart).
    void start();

    // Something must be watched (or tried again) even while nobody calls: a
    // suspension, a check, a retry, and on the adapter a limit the service
    // holds itself or a battery that charges past the limit (the firmware
    // may be ignoring it).
    bool needsWatching() const;
    // The service ends: a charge it inhibited is allowed again, so no
    // battery is left without charge while nobody watches.
    void stop();

    // A command waits for polkit.
    bool isChecking() const { return !m_quota.isEmpty(); }

    // A write the batteries did not take is tried again 200 ms later; a
    // threshold caught empty in another writer's write is read again 20 ms
    // later (how often: RetryBudget).
    static constexpr int RetryMs = 200;
    static constexpr int ReadAgainMs = 20;
    // A charge more than OvershootPoints above the limit in force, on the
    // adapter and charging, for OvershootMs (VOLTQUILL_OVERSHOOT_MS moves it
    // for tests) is a firmware that ignores the limit.
    static constexpr int OvershootPoints = 2;
    static constexpr int OvershootMs = 5 * 60 * 1000;
    // How often the charge is read while on the adapter with a limit: a
    // fast charge gains a point in about 20 s.
    static constexpr int WatchMs = 10 * 1000;

    uchar currentLimit() const { return static_cast<uchar>(m_state.target()); }
    uchar keptLimit() const { return static_cast<uchar>(m_state.limit); }
    bool isEnabled() const { return m_state.limit < 100; }
    bool isSuspended() const { return m_state.suspended; }
    // The limit in force that the firmware was seen charging past; 0: none.
    uchar firmwareIgnoresLimit() const;
    // How the limit is held: "threshold", "switch" or "behaviour".
    QString heldBy() const;

public Q_SLOTS:
    bool IsSupported();
    QByteArray AvailableLimits();
    uchar Limit();
    bool IsEnabled();
    void SetLimit(uchar limit);
    void SuspendUntilUnplugged();
    void Enable();

    void suppliesChanged();
    void prepareForSleep(bool sleeping);

Q_SIGNALS:
    // A call came in or was answered: the idle wait starts anew.
    void called();
    void rescanned();

private:
    struct Failure {
        QString name;
        QString message;
    };
    using Action = std::function<std::optional<Failure>()>;

    void refuse(const QString &name, const QString &message);
    // Refuses a command at once, before anything is read, when its caller's
    // user already has its share of polkit checks in flight.
    bool refusedAsBusy();
    void authorizeThen(Action action);
    std::optional<Failure> commit(ChargeState wanted);
    std::optional<Failure> adopt(const ChargeState &state);
    // The rule for what others did to the batteries, at start and on every
    // event: see the steps in its body.
    void enforce(const char *why);
    // Stops or allows charging where the limit is held through
    // charge_behaviour; false when the driver refused.
    bool steerCharge(int target, const char *why);
    // Writes the target over a threshold that differs from it.
    void writeOver(int target, const char *why);
    // Every battery holds what the state says.
    bool batteriesAgree() const;
    void retryLater(int ms = RetryMs);
    // `threshold`: the batteries were written again; the agents re-read them.
    void announce(const ChargeState &before, bool threshold = false);
    // A threshold found on the batteries that may become the kept limit.
    bool isPlausible(int hardware) const;
    // Reads the charge on the adapter: a firmware charging past the limit is
    // reported and, where charge_behaviour exists, held through it.
    void watchCharge();
    void reportOvershoot(const BatteryControl::Charge &charge);
    void announceWatch(uchar ignoredBefore, const QString &heldByBefore);
    void sendChanged(const QVariantMap &changed);

    BatteryControl &m_batteries;
    const StateStore &m_store;
    PolkitAuthority *m_authority;
    QDBusConnection m_bus;
    ChargeState m_state;
    bool m_adapterWasOnline = false;
    CheckQuota m_quota;
    RetryBudget m_tries{[this] { enforce("erneuter Versuch"); }};
    QTimer m_unplugged; // confirms an unplug before a suspension ends
    QTimer m_watch;     // reads the charge while on the adapter
    int m_overshootMs = OvershootMs;
    QElapsedTimer m_overSince;
    std::optional<StateStore::Overshoot> m_overshoot;
};
