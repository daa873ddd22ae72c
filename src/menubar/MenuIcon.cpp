// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/MenuIcon.h"

#include "menubar/Glyph.h"
#include "menubar/GlyphCache.h"
#include "menubar/MenuIconFont.h"
#include "menubar/MenuIconFrame.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <functional>

namespace
{
// Clips with soft edges: QPainter's raster clip snaps to whole pixels, which
// would move the level by up to half a pixel at 1×. The drawing goes into a
// layer of the target's size, everything outside `clip` is erased with
// antialiasing, and the layer is composited onto the target with `mode`.
void drawClipped(QPainter &target, const QRectF &clip, QPainter::CompositionMode mode,
                 const std::function<void(QPainter &)> &draw)
{
    if (clip.width() <= 0 || clip.height() <= 0)
        return;
    QPaintDevice *device = target.device();
    // Images and pixmaps report their size in device pixels.
    QImage layer(device->width(), device->height(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(device->devicePixelRatio());
    layer.fill(Qt::transparent);
    {
        QPainter q(&layer);
        q.setRenderHint(QPainter::Antialiasing);
        q.setWorldTransform(target.worldTransform());
        draw(q);
        QPainterPath outside;
        outside.setFillRule(Qt::OddEvenFill);
        outside.addRect(clip.adjusted(-1000, -1000, 1000, 1000));
        outside.addRect(clip);
        q.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        q.fillPath(outside, Qt::black);
    }
    target.save();
    target.setWorldTransform(QTransform());
    target.setCompositionMode(mode);
    target.drawImage(QPointF(0, 0), layer);
    target.restore();
}

QColor dimColour(bool showNumber)
{
    return QColor::fromRgbF(0, 0, 0, showNumber ? 0.3f : 0.5f);
}
} // namespace

MenuIcon::MenuIcon(qint64 percent, bool showNumber, Badge badge, qint64 limit, GlyphCache *glyphs)
    : m_percent(percent), m_showNumber(showNumber), m_badge(badge), m_limit(limit),
      m_level(static_cast<qreal>(std::clamp<qint64>(percent, 0, 100)) / 100.0), m_glyphs(glyphs)
{
}

MenuIcon MenuIcon::image(qint64 percent, bool showNumber, Badge badge, qint64 limit,
                         GlyphCache *glyphs)
{
    return MenuIcon(percent, showNumber, badge, limit, glyphs);
}

QPainterPath MenuIcon::textPath(const QFont &font, const QString &text) const
{
    return m_glyphs ? m_glyphs->textPath(font, text) : MenuIconFont::textPath(font, text);
}

qreal MenuIcon::textAdvance(const QFont &font, const QString &text) const
{
    return m_glyphs ? m_glyphs->advance(font, text) : MenuIconFont::advance(font, text);
}

QSizeF MenuIcon::size() const
{
    const MenuIconFrame f = MenuIconFrame::design(m_showNumber);
    return {f.width, f.height};
}

QImage MenuIcon::render(qreal devicePixelRatio) const
{
    const QSizeF points = size();
    // The small epsilon keeps 18.0 × 2 at 36 pixels despite rounding noise.
    QImage image(static_cast<int>(std::ceil(points.width() * devicePixelRatio - 1e-6)),
                 static_cast<int>(std::ceil(points.height() * devicePixelRatio - 1e-6)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter);
    return image;
}

QImage MenuIcon::render(qreal devicePixelRatio, const QColor &tint) const
{
    return tinted(render(devicePixelRatio), tint);
}

QImage MenuIcon::tinted(QImage image, const QColor &tint)
{
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), image.deviceIndependentSize()), tint);
    return image;
}

void MenuIcon::draw(QPainter &p) const
{
    draw(p, MenuIconFrame::design(m_showNumber));
}

QImage MenuIcon::renderSlot(int pixels) const
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter, MenuIconFrame::slot(m_showNumber, pixels));
    return image;
}

QImage MenuIcon::renderSlot(int pixels, const QColor &tint) const
{
    return tinted(renderSlot(pixels), tint);
}

void MenuIcon::draw(QPainter &p, const MenuIconFrame &f) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(0, f.height);
    p.scale(1, -1);

    const qreal lw = f.lineWidth;
    QPainterPath outline;
    outline.addRoundedRect(f.body, f.radius, f.radius);
    QPainterPath tipPath;
    tipPath.addRoundedRect(f.tip, f.tipRadius, f.tipRadius);
    const auto frame = [&](QPainter &q, const QColor &colour) {
        q.strokePath(outline, QPen(colour, lw, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        q.fillPath(tipPath, colour);
    };

    frame(p, dimColour(m_showNumber));
    if (m_showNumber && m_level > 0) {
        // The level shows on the outline itself: opaque left of it, dim beyond.
        const qreal clipWidth =
            m_level >= 1.0 ? f.width : f.body.left() - lw + m_level * (2 * lw + f.body.width());
        drawClipped(p, QRectF(0, 0, clipWidth, f.height), QPainter::CompositionMode_SourceOver,
                    [&](QPainter &q) { frame(q, Qt::black); });
    }

    if (m_showNumber)
        drawNumber(p, f);
    else
        drawBar(p, f);
    drawMarker(p, f);
    p.restore();
}

void MenuIcon::drawNumber(QPainter &p, const MenuIconFrame &f) const
{
    const QString text = QString::number(m_percent);
    const QFont font = MenuIconFont::bold(m_percent <= 99 ? 11.5 : 9.3);
    const QPainterPath glyphs = textPath(font, text); // y down
    if (f.fitted) {
        drawFittedNumber(p, f, glyphs);
        return;
    }
    const QRectF &body = f.body;
    const QSizeF symbol = Glyph::size(m_badge, m_badge == Badge::plugged ? 6.0 : 7.0);
    const qreal gap = symbol.isEmpty() ? 0.0 : 1.0;
    const qreal tw = textAdvance(font, text);
    const qreal x0 = body.center().x() - (tw + gap + symbol.width()) * 0.5;
    // The glyphs' middle (y up: minus the y-down middle) sits on the body's middle.
    const qreal baseline = body.center().y() + glyphs.boundingRect().center().y();
    QTransform place;
    place.translate(x0, baseline);
    place.scale(1, -1);
    p.fillPath(place.map(glyphs), Qt::black);

    if (!symbol.isEmpty()) {
        const QRectF box(x0 + tw + gap, body.center().y() - symbol.height() * 0.5, symbol.width(),
                         symbol.height());
        p.fillPath(Glyph::path(m_badge, box), Qt::black);
    }
}

void MenuIcon::drawFittedNumber(QPainter &p, const MenuIconFrame &f,
                                const QPainterPath &glyphs) const
{
    // The digits' ink as tall as the body allows, narrowed only by its width.
    const qreal k = f.unit;
    const QRectF room = f.body.adjusted(f.lineWidth + 0.35 * k, f.lineWidth + 0.7 * k,
                                        -(f.lineWidth + 0.35 * k), -(f.lineWidth + 0.7 * k));
    const QRectF ink = glyphs.boundingRect();
    if (ink.isEmpty())
        return;
    // Where the width is short, the digits are narrowed (to 80 % at most)
    // before they are made lower: their height is what reads at a glance.
    const qreal across = std::min(room.height() / ink.height(), room.width() / ink.width());
    const qreal up = std::min(room.height() / ink.height(), across / 0.8);
    QTransform place;
    place.translate(room.center().x(), room.center().y());
    place.scale(across, -up);
    place.translate(-ink.center().x(), -ink.center().y());
    p.fillPath(place.map(glyphs), Qt::black);

    if (m_badge == Badge::none)
        return;
    // The badge on the body's upper right corner, cut free by a clear ring.
    const qreal height = 7.2 * k;
    const QSizeF symbol = Glyph::size(m_badge, height / 1.1);
    const QRectF box(f.width - 0.3 * k - symbol.width(), f.height - 0.2 * k - symbol.height(),
                     symbol.width(), symbol.height());
    const QPainterPath glyph = Glyph::path(m_badge, box);
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    p.strokePath(glyph, QPen(Qt::black, 2.0 * k, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(glyph, Qt::black);
    p.restore();
    p.fillPath(glyph, Qt::black);
}

void MenuIcon::drawBar(QPainter &p, const MenuIconFrame &f) const
{
    const QRectF inner = f.inner();
    const qreal bw = m_level > 0 ? std::max(m_level * inner.width(), f.barMinimum) : 0.0;
    const QRectF bar(inner.left(), inner.top(), bw, inner.height());
    if (bw > 0) {
        QPainterPath path;
        path.addRoundedRect(bar, f.barRadius, f.barRadius);
        p.fillPath(path, Qt::black);
    }

    const QSizeF symbol = Glyph::size(m_badge, f.fitted ? inner.height() * 0.95 / 1.1 : 8.5);
    if (symbol.isEmpty())
        return;
    const QRectF box(f.body.center().x() - symbol.width() * 0.5,
                     f.body.center().y() - symbol.height() * 0.5, symbol.width(), symbol.height());
    const QPainterPath glyph = Glyph::path(m_badge, box);
    const auto fill = [&](QPainter &q) { q.fillPath(glyph, Qt::black); };
    // A hole in the filled part, a solid shape in the empty part.
    drawClipped(p, bar, QPainter::CompositionMode_DestinationOut, fill);
    drawClipped(p, QRectF(bar.right(), inner.top(), inner.right() - bar.right(), inner.height()),
                QPainter::CompositionMode_SourceOver, fill);
}

void MenuIcon::drawMarker(QPainter &p, const MenuIconFrame &f) const
{
    if (m_limit > 99)
        return;
    const QRectF &body = f.body;
    const QRectF r = m_showNumber ? body : f.inner();
    const qreal lw = f.lineWidth;
    const qreal x = r.left() + r.width() * static_cast<qreal>(m_limit) / 100.0;
    const qreal half = f.markerHalfWidth;
    const qreal base = body.top() - f.markerDepth;
    QPainterPath triangle;
    triangle.addPolygon(QPolygonF({{x - half, base},
                                   {x + half, base},
                                   {x, body.top() - lw * 0.5 - 0.3 * f.unit},
                                   {x - half, base}}));
    p.fillPath(triangle, Qt::black);
}
