// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryInfo.h"
#include "policy/NotificationCenter.h"

#include <QString>
#include <functional>

// The notification rules: limit reached, low battery, weak adapter, battery
// sinking on the adapter. Each fires once per occasion; the flags that remember
// an occasion live in memory only, so a restart starts with all of them clear.
class Notifier
{
public:
    explicit Notifier(NotificationCenter &center);

    // Installs the presentation answer and, while any rule is on, asks for permission.
    void setup();
    // Calls completion (when given) on the main thread with whether permission was granted.
    void requestPermission(std::function<void(bool)> completion = {});
    void send(const QString &title, const QString &body, const QString &id);
    // How a notification is shown while the agent is in front: banner with sound.
    void evaluate(const BatteryInfo &old, const BatteryInfo &now, qint64 limit, bool engaged);

private:
    void limitRule(const BatteryInfo &old, const BatteryInfo &now, qint64 limit, bool engaged);
    void lowRule(const BatteryInfo &now);
    void adapterRule(const BatteryInfo &now);
    void stalledRule(const BatteryInfo &old, const BatteryInfo &now, qint64 limit);

    NotificationCenter &m_center;
    bool m_limitNotified = false;
    bool m_lowNotified = false;
    bool m_adapterChecked = false;
    qint64 m_stalledTicks = 0;
};
