// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTabWidget>

// The window's tab view, with a TabStrip for its tabs.
class TabView : public QTabWidget
{
    Q_OBJECT
public:
    explicit TabView(QWidget *parent = nullptr);
};
