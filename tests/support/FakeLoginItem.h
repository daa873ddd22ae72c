// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/LoginItem.h"

// The autostart entry: on or off, with every change counted; `fail` makes
// every change fail and leaves the entry as it was.
class FakeLoginItem : public LoginItem
{
public:
    bool enabled = false;
    bool fail = false;
    int registers = 0;
    int unregisters = 0;
    bool isEnabled() const override { return enabled; }
    bool registerItem() override
    {
        ++registers;
        if (!fail)
            enabled = true;
        return !fail;
    }
    bool unregisterItem() override
    {
        ++unregisters;
        if (!fail)
            enabled = false;
        return !fail;
    }
};
