// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "policy/NotificationCenter.h"

#include <QStringList>
#include <functional>

// The notification service: answers permission requests with `grant` and
// records every notification instead of showing it.
class FakeNotificationCenter : public NotificationCenter
{
public:
    bool grant = true;
    int authorizationRequests = 0;
    int deniedChecks = 0;
    QStringList posts;                                    // "identifier|title|body"
    std::function<void(const QString &identifier)> onAdd; // called after each post

    void requestAuthorization(std::function<void(bool)> completion) override
    {
        ++authorizationRequests;
        if (completion)
            completion(grant);
    }
    void authorizationStatus(std::function<void(AuthorizationStatus)> completion) override
    {
        if (completion)
            completion(grant ? AuthorizationStatus::Authorized : AuthorizationStatus::Denied);
    }
    void add(const QString &title, const QString &body, const QString &identifier) override
    {
        posts << identifier + u'|' + title + u'|' + body;
        if (onAdd)
            onAdd(identifier);
    }

    // What the settings window asks: whether the user turned notifications off.
    void checkDenied(const std::function<void(bool)> &completion)
    {
        ++deniedChecks;
        completion(!grant);
    }
};
