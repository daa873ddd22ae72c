// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whether a panel on the session bus takes StatusNotifierItem icons.
class StatusNotifierHost
{
public:
    // Asks org.kde.StatusNotifierWatcher for IsStatusNotifierHostRegistered;
    // false without a session bus, a watcher or an answer within half a second.
    static bool isRegistered();
};
