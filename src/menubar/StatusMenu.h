// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <functional>

class AppState;
class QMenu;

// The rows of the status menu, built from the state each time the menu opens.
class StatusMenu
{
public:
    struct Actions {
        std::function<void(qint64)> pickLimit; // with the row's limit
        std::function<void()> fullOnce;
        std::function<void()> reEnable;
        std::function<void()> openSettings;
        std::function<void()> quit;
    };

    // Who draws the menu: Qt itself, or a panel from its D-Bus description.
    enum class Host { qt, dbusMenu };

    // Replaces every row of `menu` with rows for the state as it is now.
    static void fill(QMenu &menu, const AppState &state, const Actions &actions,
                     Host host = Host::qt);
};
