// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChargeState.h"
#include "CheckQuota.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class BatteryControl;
class PolkitAuthority;
class StateStore;

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
public:
    static inline const QString ActionId = QStringLiteral("org.voltquill.charge.set-limit");

    // `authority` null: no polkit check (the session bus, where the caller
    // is the same user).
    ChargeService(BatteryControl &batteries, const StateStore &store, PolkitAuthority *authority,
                  QDBusConnection bus, QObject *parent = nullptr);

    // Takes the kept state and puts it on the batteries (boot, restart).
    void start();

    // Something must be watched (or tried again) even while nobody calls.
    bool needsWatching() const
    {
        return m_state.suspended || !m_quota.isEmpty() || m_retry.isActive();
    }

    // A command waits for polkit.
    bool isChecking() const { return !m_quota.isEmpty(); }

    // Tries after a write the batteries did not take, 200 ms apart; reads
    // of a threshold caught empty in another writer's write, 20 ms apart.
    static constexpr int MaxRetries = 5;
    static constexpr int RetryMs = 200;
    static constexpr int ReadAgainMs = 20;
    // A driver that keeps another value, or a program that keeps writing a
    // reset over the limit, is written over this often in a row (rewrites
    // less than RewriteWindowMs apart); then the service waits for the next
    // command, resume or plug event instead of fighting.
    static constexpr int MaxRewrites = 5;
    static constexpr int RewriteWindowMs = 60 * 1000;

    uchar currentLimit() const { return static_cast<uchar>(m_state.target()); }
    uchar keptLimit() const { return static_cast<uchar>(m_state.limit); }
    bool isEnabled() const { return m_state.limit < 100; }
    bool isSuspended() const { return m_state.suspended; }

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
    // The rule for what others did to the threshold: a plausible value is
    // adopted as the kept limit (outside a suspension); a driver reset (100,
    // 0, a value not offered) is written over with the kept target.
    void enforce(const char *why);
    // Every battery holds what the state says.
    bool batteriesAgree() const;
    void retryLater(int ms = RetryMs);
    // Whether enforce() may write the threshold again, and counts it.
    bool mayRewrite(int target);
    // A command, a resume or a plug event: the batteries get new tries.
    void startAfresh();
    // `threshold`: the batteries were written again; the agents re-read them.
    void announce(const ChargeState &before, bool threshold = false);
    // A threshold found on the batteries that may become the kept limit.
    bool isPlausible(int hardware) const;

    BatteryControl &m_batteries;
    const StateStore &m_store;
    PolkitAuthority *m_authority;
    QDBusConnection m_bus;
    ChargeState m_state;
    bool m_adapterWasOnline = false;
    CheckQuota m_quota;
    QTimer m_retry;
    int m_retries = 0;
    int m_rewrites = 0;
    QElapsedTimer m_lastRewrite;
    bool m_gaveUp = false;
    QTimer m_unplugged; // confirms an unplug before a suspension ends
};
