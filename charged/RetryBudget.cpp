// SPDX-License-Identifier: GPL-3.0-or-later
#include "RetryBudget.h"

RetryBudget::RetryBudget(std::function<void()> retry)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, std::move(retry));
}

bool RetryBudget::retryIn(int ms)
{
    if (m_retries >= MaxRetries)
        return false;
    ++m_retries;
    m_timer.start(ms);
    return true;
}

void RetryBudget::settled()
{
    m_timer.stop();
    m_retries = 0;
}

bool RetryBudget::takeRewrite()
{
    if (m_gaveUp)
        return false;
    // A rewrite that held for a while was a reset, not a fight: count anew.
    if (m_lastRewrite.isValid() && m_lastRewrite.elapsed() > RewriteWindowMs)
        m_rewrites = 0;
    if (m_rewrites >= MaxRewrites) {
        m_gaveUp = true;
        m_timer.stop();
        return false;
    }
    ++m_rewrites;
    m_lastRewrite.start();
    return true;
}

void RetryBudget::startAfresh()
{
    m_retries = 0;
    m_rewrites = 0;
    m_gaveUp = false;
}
