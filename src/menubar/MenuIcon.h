// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/Badge.h"

#include <QImage>
#include <QSizeF>
#include <QString>

class GlyphCache;
class QColor;
class QFont;
class QPainter;
class QPainterPath;
struct MenuIconFrame;

// The battery symbol for the panel: an outline with a terminal tip, the charge
// level, an optional bolt or plug, an optional number and a marker under the
// battery at the charge limit. A value holds what to show and draws it anew at
// any scale; lengths are in points with the origin at the lower left, y up.
class MenuIcon
{
public:
    // `limit` 100 or more draws no marker. Text is drawn from `glyphs` when
    // given, otherwise straight from the font.
    static MenuIcon image(qint64 percent, bool showNumber, Badge badge, qint64 limit = 100,
                          GlyphCache *glyphs = nullptr);

    // 36.1 × 18.0 with the number, 27.1 × 18.0 without.
    QSizeF size() const;

    // The template image: black, partly translucent, on transparency, with the
    // given device pixel ratio; its pixel size is the point size rounded up.
    QImage render(qreal devicePixelRatio) const;
    // The template image recoloured to `tint`, keeping its translucency.
    QImage render(qreal devicePixelRatio, const QColor &tint) const;
    // Draws the template onto a painter whose user space is the image's top-left
    // based point grid (as on a fresh QImage with a device pixel ratio).
    void draw(QPainter &painter) const;

    // The picture for a square panel slot of `pixels` × `pixels` (device pixel
    // ratio 1): the design fitted to the slot, the battery across its width and
    // the digits as tall as the body allows.
    QImage renderSlot(int pixels) const;
    QImage renderSlot(int pixels, const QColor &tint) const;

    static QImage tinted(QImage image, const QColor &tint);

private:
    MenuIcon(qint64 percent, bool showNumber, Badge badge, qint64 limit, GlyphCache *glyphs);

    // The outlines of `text` (baseline at y = 0, y down) and its advance, from
    // the same source as the icon's own text.
    QPainterPath textPath(const QFont &font, const QString &text) const;
    qreal textAdvance(const QFont &font, const QString &text) const;

    void draw(QPainter &p, const MenuIconFrame &frame) const;
    void drawNumber(QPainter &p, const MenuIconFrame &frame) const;
    void drawFittedNumber(QPainter &p, const MenuIconFrame &frame,
                          const QPainterPath &glyphs) const;
    void drawBar(QPainter &p, const MenuIconFrame &frame) const;
    void drawMarker(QPainter &p, const MenuIconFrame &frame) const;

    qint64 m_percent;
    bool m_showNumber;
    Badge m_badge;
    qint64 m_limit;
    qreal m_level; // f, 0…1
    GlyphCache *m_glyphs;
};
