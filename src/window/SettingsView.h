// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/WindowParts.h"

#include <QWidget>

class QTabWidget;

// The window's content: the five tabs, 16 px inside a fixed 520 × 600 area.
class SettingsView : public QWidget
{
    Q_OBJECT
public:
    enum Tab { Charge, Schedule, Notify, History, General };

    explicit SettingsView(const WindowParts &parts, int tab = Charge, QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }

private:
    QTabWidget *m_tabs;
};
