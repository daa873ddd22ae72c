#pragma once

#include "policy/NotificationCenter.h"

// Shows nothing and answers "denied": where no notification service exists.
class SilentNotificationCenter : public NotificationCenter
{
public:
    void setWillPresent(std::function<PresentationOptions()>) override {}
    void requestAuthorization(std::function<void(bool)> completion) override
    {
        if (completion)
            completion(false);
    }
    void authorizationStatus(std::function<void(AuthorizationStatus)> completion) override
    {
        if (completion)
            completion(AuthorizationStatus::Denied);
    }
    void add(const QString &, const QString &, const QString &) override {}
};
