// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// Events that make the agent look at the battery again. An implementation
// emits each signal on the main thread, once per event.
class SystemEvents : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Installs the event sources; answers false when power-source changes
    // cannot be watched (the timer and wake still work).
    virtual bool start() = 0;

Q_SIGNALS:
    void powerSourceChanged();
    void didWake();
};
