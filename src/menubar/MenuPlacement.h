// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a menu opened from a panel icon goes, as panels open their own
// buttons' menus: at the icon's left edge, below it on a panel at the top and
// above it on one at the bottom, kept on the icon's screen.
class MenuPlacement
{
public:
    static QPoint at(const QRect &icon, const QSize &menu, const QRect &screen);
    // The same for an icon on whatever screen holds it.
    static QPoint at(const QRect &icon, const QSize &menu);
};
