// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QList>

class MenuIcon;

// The pictures the tray gets: the icon fitted to each square slot size panels
// use, at 1× and 2×, so that every host finds one drawn for its slot instead of
// scaling another. The tray shows no text of its own, and a title drawn into a
// square slot would be a blur: style 2's title stays in the tooltip.
class ButtonImage
{
public:
    // Slot sides in device pixels: 16, 22, 24 and 32 at 1× and 2×.
    static const QList<int> &slotPixels();
    // One picture per slot side, in `tint`.
    static QList<QImage> render(const MenuIcon &icon, const QColor &tint);
    // The pictures at the given opacity, for the tray.
    static QIcon icon(const QList<QImage> &pictures, qreal opacity);
};
