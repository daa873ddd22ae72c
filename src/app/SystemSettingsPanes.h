// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The desktop's own settings, as far as the window points the user to them.
class SystemSettingsPanes
{
public:
    enum class Pane {
        Battery,       // power and battery
        PanelIcons,    // where the desktop's own battery symbol is hidden
        Notifications, // whether this app may show notifications
    };

    virtual ~SystemSettingsPanes() = default;
    // Opens the pane; when that cannot be done, answers a German text that
    // tells the user where to look instead.
    virtual std::optional<QString> open(Pane pane) = 0;
};
