// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/WindowView.h"
#include "window/WindowParts.h"

#include <memory>

class SettingsView;

// The one settings window: built on first demand, hidden (never destroyed)
// when closed, and brought to the front on every showWindow.
class SettingsWindow : public WindowView
{
public:
    explicit SettingsWindow(WindowParts parts);
    ~SettingsWindow() override;

    void showWindow() override;

    // Null until the first showWindow.
    SettingsView *view() const { return m_view.get(); }

private:
    WindowParts m_parts;
    std::unique_ptr<SettingsView> m_view;
};
