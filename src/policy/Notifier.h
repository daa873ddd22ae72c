#pragma once

#include "app/BatteryInfo.h"

#include <QString>
#include <functional>

class NotificationCenter;

// The notification rules: limit reached, low battery, weak adapter, battery
// sinking on the adapter. Each fires once per occasion.
class Notifier
{
public:
    explicit Notifier(NotificationCenter &center);

    void setup();
    void requestPermission(std::function<void(bool)> completion = {});
    void send(const QString &title, const QString &body, const QString &id);
    void evaluate(const BatteryInfo &old, const BatteryInfo &now, qint64 limit, bool engaged);

private:
    NotificationCenter &m_center;
};
