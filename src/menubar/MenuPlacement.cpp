// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/MenuPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

QPoint MenuPlacement::at(const QRect &icon, const QSize &menu, const QRect &screen)
{
    const int x = std::clamp(icon.left(), screen.left(),
                             std::max(screen.left(), screen.right() + 1 - menu.width()));
    const int y = icon.bottom() + 1 + menu.height() <= screen.bottom() + 1
                      ? icon.bottom() + 1
                      : std::max(screen.top(), icon.top() - menu.height());
    return {x, y};
}

QPoint MenuPlacement::at(const QRect &icon, const QSize &menu)
{
    const QScreen *screen = QGuiApplication::screenAt(icon.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->geometry() : QRect(icon.topLeft(), QSize(4096, 4096));
    return at(icon, menu, room);
}
