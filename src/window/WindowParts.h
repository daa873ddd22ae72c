// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <functional>

class AppState;
class History;
class LoginItem;
class Notifier;
class SystemSettingsPanes;

// What the settings window and its tabs work with.
struct WindowParts {
    AppState &state;
    History &history;
    Notifier &notifier;
    // Answers, later and on the main thread, whether notifications are refused;
    // it never asks the user.
    std::function<void(std::function<void(bool denied)>)> notificationsDenied;
    LoginItem *loginItem = nullptr;       // none: the login switch is off and disabled
    SystemSettingsPanes *panes = nullptr; // none: the buttons that open them do nothing
    // After an icon setting changed: redraw the status item.
    std::function<void()> onIconChange;
    std::function<void()> quit;
    // Other programs that also write the charge threshold, one German
    // sentence each; asked when the Charge tab is shown. None: nobody.
    std::function<QStringList()> otherThresholdWriters = {};
};
