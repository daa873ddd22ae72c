// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/TrayWait.h"

TrayWait::TrayWait(std::function<bool()> trayAvailable, int intervalMs, int attempts,
                   QObject *parent)
    : QObject(parent), m_trayAvailable(std::move(trayAvailable)), m_attempts(attempts)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TrayWait::attempt);
}

void TrayWait::start()
{
    if (m_timer.isActive())
        return;
    m_made = 0;
    m_timer.start();
}

void TrayWait::attempt()
{
    if (m_trayAvailable()) {
        m_timer.stop();
        Q_EMIT arrived();
        return;
    }
    if (++m_made >= m_attempts) {
        m_timer.stop();
        Q_EMIT gaveUp();
    }
}
