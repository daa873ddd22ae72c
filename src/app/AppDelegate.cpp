// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppDelegate.h"

#include "app/AgentLog.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/Clock.h"
#include "app/LoginItem.h"
#include "app/StatusItemView.h"
#include "app/SystemEvents.h"
#include "app/WindowView.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "policy/Scheduler.h"
#include "settings/Prefs.h"

AppDelegate::AppDelegate(Parts parts, QObject *parent) : QObject(parent), m_parts(parts)
{
    m_timer.setInterval(30'000);
    m_timer.setTimerType(Qt::VeryCoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AppDelegate::tick);
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_parts.notifier.setup();
    if (m_parts.loginItem && m_parts.loginItem->isEnabled())
        m_parts.loginItem->registerItem();
    const QDateTime now = state().clock().now();
    applySchedule(now);
    m_parts.history.record(state().battery(), now);
    if (m_parts.item)
        m_parts.item->updateStatusItem();
    m_timer.start();
    if (m_parts.events) {
        connect(m_parts.events, &SystemEvents::powerSourceChanged, this, &AppDelegate::tick);
        connect(m_parts.events, &SystemEvents::didWake, this, &AppDelegate::tick);
        m_parts.events->start();
    }
    if (!state().chargeLimit().isSupported() || !Prefs::showIcon()) {
        if (m_parts.window)
            m_parts.window->showWindow();
    }
}

void AppDelegate::tick()
{
    const BatteryInfo old = state().battery();
    // One reading of the clock a tick: each converts to local time anew.
    const QDateTime now = state().clock().now();
    applySchedule(now);
    state().refresh();
    qCDebug(lcAgent, "tick: %lld %%%s%s, limit %lld %%%s", state().battery().percent,
            state().battery().pluggedIn ? ", plugged in" : "",
            state().battery().isCharging ? ", charging" : "", state().limit(),
            state().engaged() ? ", engaged" : "");
    m_parts.notifier.evaluate(old, state().battery(), state().limit(), state().engaged());
    m_parts.notifier.firmwareIgnores(state().firmwareIgnoredLimit());
    wakeServiceOnOvershoot();
    m_parts.history.record(state().battery(), now);
    if (m_parts.item)
        m_parts.item->refreshButton();
}

bool AppDelegate::applicationShouldHandleReopen()
{
    if (m_parts.window)
        m_parts.window->showWindow();
    return true;
}

void AppDelegate::wakeServiceOnOvershoot()
{
    // The service watches whether a firmware charges past the limit only
    // while it runs; one that left when idle is started by a call.
    const AppState &s = state();
    const BatteryInfo &b = s.battery();
    if (b.pluggedIn && b.isCharging && s.engaged() && s.limit() <= 99 &&
        b.percent > s.limit() + 2 && s.firmwareIgnoredLimit() == 0)
        s.chargeLimit().isSupported();
}

void AppDelegate::applySchedule(const QDateTime &now)
{
    AppState &s = state();
    Scheduler::apply(now, s.options(), [&s](qint64 limit) { s.setLimit(limit); });
}
