// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/WindowParts.h"

#include <QWidget>

class QTabWidget;

// The window's content: the five tabs, 16 px inside an area of at least
// 520 × 600 that grows with its content (large fonts, long words) and is
// not resizable by hand. Ctrl+PgDn/PgUp and Ctrl+(Shift+)Tab switch tabs;
// Escape and Ctrl+W close the window.
class SettingsView : public QWidget
{
    Q_OBJECT
public:
    enum Tab { Charge, Schedule, Notify, History, General };

    explicit SettingsView(const WindowParts &parts, int tab = Charge, QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }

private:
    void addShortcuts();
    void switchTab(int delta);

    QTabWidget *m_tabs;
};
