#include "policy/Notifier.h"

#include "policy/NotificationCenter.h"

// Placeholder until the notification rules land.
Notifier::Notifier(NotificationCenter &center) : m_center(center) {}
void Notifier::setup() {}
void Notifier::requestPermission(std::function<void(bool)> completion)
{
    m_center.requestAuthorization(std::move(completion));
}
void Notifier::send(const QString &title, const QString &body, const QString &id)
{
    m_center.add(title, body, id);
}
void Notifier::evaluate(const BatteryInfo &, const BatteryInfo &, qint64, bool) {}
