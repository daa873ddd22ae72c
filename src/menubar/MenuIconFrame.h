// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>

// Where the parts of the battery symbol go: the drawn design of 18 points
// height, or the same design fitted to a square panel slot. Lengths are in the
// drawing's units with the origin at the lower left, y up.
struct MenuIconFrame {
    qreal width = 0;
    qreal height = 0;
    QRectF body;
    qreal lineWidth = 0;
    qreal radius = 0;
    QRectF tip;
    qreal tipRadius = 0;
    qreal inset = 0; // of the bar's room inside the body
    qreal barRadius = 0;
    qreal barMinimum = 0;
    qreal markerHalfWidth = 0;
    qreal markerDepth = 0; // the marker's base below the body's lower edge
    // Slot: the number is fitted to the body instead of set at fixed sizes, and
    // a badge beside it sits on the body's upper right corner.
    bool fitted = false;
    qreal unit = 1; // slot side / 22

    QRectF inner() const { return body.adjusted(inset, inset, -inset, -inset); }

    // The design: 36.1 × 18.0 with the number, 27.1 × 18.0 without.
    static MenuIconFrame design(bool showNumber);
    // A square slot of `side` units (pixels of the picture).
    static MenuIconFrame slot(bool showNumber, qreal side);
};
