// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/TabView.h"

#include "window/TabStrip.h"

TabView::TabView(QWidget *parent) : QTabWidget(parent)
{
    setTabBar(new TabStrip(this));
}
