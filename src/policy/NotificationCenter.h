// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// The desktop's notification service. Answers arrive later, on the main thread;
// no call blocks for long or fails loudly.
class NotificationCenter
{
public:
    enum class AuthorizationStatus { NotDetermined = 0, Denied = 1, Authorized = 2 };

    virtual ~NotificationCenter() = default;
    // Answers whether notifications can be shown.
    virtual void requestAuthorization(std::function<void(bool granted)> completion) = 0;
    // Answers the current permission without asking the user.
    virtual void authorizationStatus(std::function<void(AuthorizationStatus)> completion) = 0;
    // Posts at once, with the default sound; a newer notification with the
    // same identifier replaces the older one.
    virtual void add(const QString &title, const QString &body, const QString &identifier) = 0;
};
