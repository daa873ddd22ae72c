// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/MenuIconFrame.h"

MenuIconFrame MenuIconFrame::design(bool showNumber)
{
    MenuIconFrame f;
    const qreal bodyWidth = showNumber ? 32.0 : 23.0;
    f.width = bodyWidth + 1.6 + 2.5;
    f.height = 18.0;
    f.body = QRectF(0.5, 3.5, bodyWidth, 14.0);
    f.lineWidth = showNumber ? 1.8 : 1.0;
    f.radius = 3.8;
    f.tip = QRectF(f.body.right() + f.lineWidth * 0.5 + 0.6, f.body.center().y() - 2.3, 1.6, 4.6);
    f.tipRadius = 0.8;
    f.inset = 2.0;
    f.barRadius = 1.6;
    f.barMinimum = 1.5;
    f.markerHalfWidth = 2.2;
    f.markerDepth = 3.3;
    return f;
}

MenuIconFrame MenuIconFrame::slot(bool showNumber, qreal side)
{
    // Designed for 22 units; other sizes scale. The body spans the slot's
    // width and sits low enough to leave the upper right corner to a badge
    // beside the number, at the same place with and without one, so that
    // plugging in does not move the battery.
    const qreal k = side / 22.0;
    MenuIconFrame f;
    f.width = side;
    f.height = side;
    f.unit = k;
    f.fitted = true;
    // Below 20 pixels the number gets a taller body and a one-pixel outline,
    // so its digits stay at least 7 pixels tall (a 16-pixel slot).
    const bool small = showNumber && side < 20.0;
    f.lineWidth = small ? 1.0 : (showNumber ? 1.4 : 1.25) * k;
    const qreal tipWidth = 1.8 * k;
    const qreal left = f.lineWidth * 0.5 + 0.2 * k;
    const qreal right = side - 0.2 * k - tipWidth - 0.5 * k - f.lineWidth * 0.5;
    const qreal bodyHeight = (small ? 14.6 : showNumber ? 13.0 : 12.0) * k;
    const qreal bottom = (small ? 3.8 : showNumber ? 4.2 : 4.8) * k;
    f.body = QRectF(left, bottom, right - left, bodyHeight);
    f.radius = bodyHeight * 0.22;
    const qreal tipHeight = bodyHeight * 0.38;
    f.tip = QRectF(right + f.lineWidth * 0.5 + 0.5 * k, f.body.center().y() - tipHeight * 0.5,
                   tipWidth, tipHeight);
    f.tipRadius = 0.6 * k;
    f.inset = f.lineWidth + 0.9 * k;
    f.barRadius = 1.2 * k;
    f.barMinimum = 1.5 * k;
    f.markerHalfWidth = 2.4 * k;
    f.markerDepth = 3.6 * k;
    return f;
}
