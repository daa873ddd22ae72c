// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppState.h"
#include "app/Clock.h"
#include "app/L.h"
#include "policy/Scheduler.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"

// The joining pieces " – ", " (" and ")" are not texts of their own and stay
// outside the string table.
namespace
{
const QString dash = QStringLiteral(" – ");

QString inParentheses(const QString &text)
{
    return QStringLiteral(" (") + text + u')';
}
} // namespace

QString AppState::statusLine() const
{
    const BatteryInfo &b = m_battery;
    if (!b.hasBattery)
        return L("Kein Akku gefunden");
    QString line = L("Akku %d %%", b.percent);
    if (b.isCharging) {
        line += dash + L("lädt");
        if (b.minutesRemaining) {
            const qint64 m = *b.minutesRemaining;
            line += inParentheses(L("%d:%02d h bis voll", m / 60, m % 60));
        }
        return line;
    }
    QString activity;
    if (!b.pluggedIn)
        activity = L("Akkubetrieb");
    else if (b.fullyCharged)
        activity = L("voll geladen");
    else if (m_limit <= 99 && m_engaged && m_limit + 1 < b.percent)
        activity = L("sinkt langsam auf %d %%", m_limit);
    else if (m_limit <= 99 && m_engaged && b.percent >= m_limit - 1)
        activity = L("Limit erreicht, hält");
    else
        activity = L("am Netzteil, lädt nicht");
    line += dash + activity;
    if (b.minutesRemaining) {
        const qint64 m = *b.minutesRemaining;
        line += inParentheses(L("%d:%02d h", m / 60, m % 60));
    }
    return line;
}

std::optional<QString> AppState::authorizationLine() const
{
    if (!m_awaitingAuthorization)
        return std::nullopt;
    return L("Wartet auf die Anmeldung als Administrator …");
}

QString AppState::limitLine() const
{
    if (m_limit >= 100)
        return L("Ladelimit aus (lädt auf 100 %)");
    if (m_engaged)
        return L("Ladelimit %d %% aktiv", m_limit);
    return L("Limit %d %% – lädt einmalig voll", m_limit);
}

std::optional<QString> AppState::scheduleLine() const
{
    if (!Prefs::scheduleOn())
        return std::nullopt;
    const QDateTime now = m_clock.now();
    const QDateTime day = Scheduler::effectiveDay(now);
    const qint64 limit = Scheduler::limit(day, options());
    if (day.toLocalTime().date() == now.toLocalTime().date())
        return L("Zeitplan: heute %d %%", limit);
    return L("Zeitplan: ab jetzt für morgen %d %%", limit);
}
