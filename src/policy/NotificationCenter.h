#pragma once

#include <QString>
#include <functional>

// The desktop's notification service.
class NotificationCenter
{
public:
    virtual ~NotificationCenter() = default;
    // Answers, on the main thread, whether notifications can be shown.
    virtual void requestAuthorization(std::function<void(bool granted)> completion) = 0;
    // Posts at once; a newer notification with the same identifier replaces the older one.
    virtual void add(const QString &title, const QString &body, const QString &identifier) = 0;
};
