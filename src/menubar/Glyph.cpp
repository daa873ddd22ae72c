// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/Glyph.h"

#include <QPolygonF>
#include <QTransform>

namespace
{
// Both shapes are designed in a unit box, y up.
QPainterPath unitBolt()
{
    QPainterPath p;
    p.addPolygon(QPolygonF({{0.66, 1.0},
                            {0.06, 0.43},
                            {0.44, 0.43},
                            {0.32, 0.0},
                            {0.94, 0.58},
                            {0.56, 0.58},
                            {0.66, 1.0}}));
    return p;
}

QPainterPath unitPlug()
{
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    // Two prongs on top, the body, a neck that narrows to the cable.
    p.addRect(QRectF(0.20, 0.74, 0.16, 0.26));
    p.addRect(QRectF(0.64, 0.74, 0.16, 0.26));
    p.addRoundedRect(QRectF(0.04, 0.38, 0.92, 0.40), 0.12, 0.12);
    p.addPolygon(QPolygonF({{0.04, 0.48}, {0.32, 0.16}, {0.68, 0.16}, {0.96, 0.48}, {0.04, 0.48}}));
    p.addRect(QRectF(0.40, 0.0, 0.20, 0.20));
    return p.simplified();
}
} // namespace

QSizeF Glyph::size(Badge badge, qreal pointSize)
{
    // About the box a symbol font gives these shapes at that size.
    const qreal height = pointSize * 1.1;
    switch (badge) {
    case Badge::charging:
        return {height * 0.6, height};
    case Badge::plugged:
        return {height * 0.75, height};
    case Badge::none:
        break;
    }
    return {};
}

QPainterPath Glyph::path(Badge badge, const QRectF &rect)
{
    QPainterPath unit;
    switch (badge) {
    case Badge::charging:
        unit = unitBolt();
        break;
    case Badge::plugged:
        unit = unitPlug();
        break;
    case Badge::none:
        return {};
    }
    QTransform t;
    t.translate(rect.x(), rect.y());
    t.scale(rect.width(), rect.height());
    return t.map(unit);
}
