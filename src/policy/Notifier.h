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

    // Asks for permission while any rule is on.
    void setup();
    // Calls completion (when given) on the main thread with whether permission was granted.
    void requestPermission(std::function<void(bool)> completion = {});
    void send(const QString &title, const QString &body, const QString &id);
    // Applies every rule to one tick: the previous and the present reading,
    // the limit in force and whether it acts (not suspended).
    void evaluate(const BatteryInfo &old, const BatteryInfo &now, qint64 limit, bool engaged);
    // Tells once per limit that the firmware charges past it (`ignored`, 0:
    // nothing seen).
    void firmwareIgnores(qint64 ignored);

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
    qint64 m_firmwareNotified = 0;
};
