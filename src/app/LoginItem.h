// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Starting the agent at login.
class LoginItem
{
public:
    virtual ~LoginItem() = default;
    virtual bool isEnabled() const = 0;
    // Both answer whether they succeeded.
    virtual bool registerItem() = 0;
    virtual bool unregisterItem() = 0;
};
