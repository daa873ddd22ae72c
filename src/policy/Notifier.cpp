// SPDX-License-Identifier: GPL-3.0-or-later
#include "policy/Notifier.h"

#include "app/L.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"

#include <algorithm>

Notifier::Notifier(NotificationCenter &center) : m_center(center) {}

void Notifier::setup()
{
    if (Prefs::notifyLimit() || Prefs::notifyLow() || Prefs::notifyAdapter())
        requestPermission();
}

void Notifier::requestPermission(std::function<void(bool)> completion)
{
    m_center.requestAuthorization([completion = std::move(completion)](bool granted) {
        if (completion)
            completion(granted);
    });
}

void Notifier::send(const QString &title, const QString &body, const QString &id)
{
    m_center.add(title, body, id);
}

void Notifier::evaluate(const BatteryInfo &old, const BatteryInfo &now, qint64 limit, bool engaged)
{
    if (!now.hasBattery)
        return;
    if (!now.pluggedIn) {
        m_limitNotified = false;
        m_adapterChecked = false;
        m_stalledTicks = 0;
        if (now.percent > Prefs::lowThreshold() + 5)
            m_lowNotified = false;
    } else {
        m_lowNotified = false;
    }
    limitRule(old, now, limit, engaged);
    lowRule(now);
    if (!Prefs::notifyAdapter() || !now.pluggedIn)
        return;
    adapterRule(now);
    stalledRule(old, now, limit);
}

void Notifier::limitRule(const BatteryInfo &old, const BatteryInfo &now, qint64 limit, bool engaged)
{
    if (!Prefs::notifyLimit() || !now.pluggedIn || !engaged || limit > 99 || m_limitNotified)
        return;
    const bool reached = old.percent < limit;
    const bool stopped = old.isCharging && !now.isCharging;
    if (now.percent < limit || !(reached || stopped))
        return;
    m_limitNotified = true;
    send(L("Ladelimit erreicht"),
         L("Der Akku ist bei %d %%. Der Laptop läuft jetzt über das Netzteil.", now.percent),
         QStringLiteral("limit"));
}

void Notifier::lowRule(const BatteryInfo &now)
{
    if (!Prefs::notifyLow() || now.pluggedIn || m_lowNotified)
        return;
    if (now.percent > Prefs::lowThreshold())
        return;
    m_lowNotified = true;
    QStringList body{L("Noch %d %%.", now.percent)};
    if (now.minutesRemaining) {
        const qint64 m = *now.minutesRemaining;
        body << L("Reicht etwa %d:%02d h.", m / 60, m % 60);
    }
    body << L("Bitte Netzteil anschließen.");
    send(L("Niedriger Akkustand"), body.join(u' '), QStringLiteral("low"));
}

void Notifier::adapterRule(const BatteryInfo &now)
{
    // 0 W: the adapter has not reported its power yet.
    if (m_adapterChecked || now.adapterWatts < 1)
        return;
    m_adapterChecked = true;
    const qint64 minimum = Prefs::adapterMinWatts();
    if (now.adapterWatts >= minimum)
        return;
    send(L("Schwaches Netzteil"),
         L("Angeschlossen: %d W (empfohlen ab %d W). Der Laptop lädt langsam oder entlädt "
           "sich unter Last.",
           now.adapterWatts, minimum),
         QStringLiteral("adapter"));
}

void Notifier::stalledRule(const BatteryInfo &old, const BatteryInfo &now, qint64 limit)
{
    if (now.isCharging) {
        m_stalledTicks = 0;
        return;
    }
    const qint64 ceiling = std::min<qint64>(limit, 100);
    if (now.percent >= ceiling - 2 || now.percent >= old.percent)
        return;
    if (++m_stalledTicks != 2)
        return;
    send(L("Netzteil reicht nicht"),
         L("Trotz Netzteil sinkt der Akku (%d %%). Ein stärkeres Netzteil oder Kabel verwenden.",
           now.percent),
         QStringLiteral("stalled"));
}
