// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>

class QDateTime;

class AppState;
class History;
class LoginItem;
class Notifier;
class StatusItemView;
class SystemEvents;
class WindowView;

// The launch sequence and the refresh loop. The status item and the window are
// reached only through their small interfaces, so this runs headless.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    struct Parts {
        AppState &state;
        Notifier &notifier;
        History &history;
        LoginItem *loginItem = nullptr; // none: nothing to re-register
        SystemEvents *events = nullptr; // none: only the timer ticks
        StatusItemView *item = nullptr;
        WindowView *window = nullptr;
    };

    explicit AppDelegate(Parts parts, QObject *parent = nullptr);

    AppState &state() const { return m_parts.state; }

    void applicationDidFinishLaunching();
    void tick();
    // A second start of the agent: show the window.
    bool applicationShouldHandleReopen();

    const QTimer &timer() const { return m_timer; }

private:
    void applySchedule(const QDateTime &now);
    // A call to the charge service while the battery charges past the limit.
    void wakeServiceOnOvershoot();

    Parts m_parts;
    QTimer m_timer;
};
