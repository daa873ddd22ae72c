// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/WindowView.h"

// Counts the requests to show the settings window.
class FakeWindow : public WindowView
{
public:
    int shown = 0;
    void showWindow() override { ++shown; }
};
