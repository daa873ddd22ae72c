// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// How hard the service tries before it waits for the next event. A write or
// read the batteries did not take is tried again a few times, shortly after;
// a threshold that a driver or another program keeps changing is written over
// a few times in a row, then left until a command, a resume or a plug event
// gives new tries (startAfresh). All of that state lives here.
class RetryBudget
{
public:
    static constexpr int MaxRetries = 5;
    // Rewrites less than RewriteWindowMs apart count as one fight.
    static constexpr int MaxRewrites = 5;
    static constexpr int RewriteWindowMs = 60 * 1000;

    explicit RetryBudget(std::function<void()> retry);

    // Schedules `retry` in `ms`; false when the tries are used up.
    bool retryIn(int ms);
    bool isRetryPending() const { return m_timer.isActive(); }
    // The batteries hold what they should: a later failure has every retry.
    void settled();
    // Counts a rewrite; false once the rewrites are used up, and from then
    // on until startAfresh().
    bool takeRewrite();
    bool hasGivenUp() const { return m_gaveUp; }
    void startAfresh();

private:
    QTimer m_timer;
    int m_retries = 0;
    int m_rewrites = 0;
    QElapsedTimer m_lastRewrite;
    bool m_gaveUp = false;
};
