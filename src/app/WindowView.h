// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings window, as the lifecycle sees it.
class WindowView
{
public:
    virtual ~WindowView() = default;
    // Creates the window on first demand, refreshes the state and brings it to the front.
    virtual void showWindow() = 0;
};
