// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// Waiting for a tray that is not there yet (the agent started before the
// panel): asks every interval whether one came, and gives up after a number of
// attempts. Wakes nobody once it has ended.
class TrayWait : public QObject
{
    Q_OBJECT
public:
    TrayWait(std::function<bool()> trayAvailable, int intervalMs, int attempts,
             QObject *parent = nullptr);

    void start();
    void stop() { m_timer.stop(); }
    bool isActive() const { return m_timer.isActive(); }

Q_SIGNALS:
    void arrived();
    void gaveUp();

private:
    void attempt();

    std::function<bool()> m_trayAvailable;
    QTimer m_timer;
    int m_attempts;
    int m_made = 0;
};
