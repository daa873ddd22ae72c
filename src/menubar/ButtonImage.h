// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/PanelColour.h"

#include <QColor>
#include <QImage>
#include <QList>

class MenuIcon;

// The pictures the tray gets: the icon fitted to each square slot size panels
// use, at 1× and 2×, so that every host finds one drawn for its slot instead of
// scaling another.
class ButtonImage
{
public:
    // Slot sides in device pixels: 16, 22, 24 and 32 at 1× and 2×.
    static const QList<int> &slotPixels();
    // The sides a StatusNotifierItem host may pick from on screens of the given
    // device pixel ratio: those of 1×, and of 2× where a screen needs them.
    static QList<int> slotPixels(qreal devicePixelRatio);
    // One picture per side, in `tint`.
    static QList<QImage> render(const MenuIcon &icon, const QColor &tint,
                                const QList<int> &sides = slotPixels());
    static QList<QImage> render(const MenuIcon &icon, const PanelColour::Tint &tint,
                                const QList<int> &sides);
    // `picture` with a one-pixel border in `colour` around everything it draws.
    static QImage outlined(const QImage &picture, const QColor &colour);
    // `picture` at `opacity` (1: itself).
    static QImage faded(const QImage &picture, qreal opacity);
};
