// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/Badge.h"

#include <QPainterPath>
#include <QSizeF>

// Our own lightning-bolt and power-plug shapes, in y-up coordinates.
class Glyph
{
public:
    // The box a glyph takes at the given point size; empty for Badge::none.
    static QSizeF size(Badge badge, qreal pointSize);
    // The filled outline of the glyph stretched into `rect`; empty for Badge::none.
    static QPainterPath path(Badge badge, const QRectF &rect);
};
