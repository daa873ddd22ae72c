// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/ButtonImage.h"

#include "menubar/MenuIcon.h"

#include <QPainter>

const QList<int> &ButtonImage::slotPixels()
{
    static const QList<int> sides{16, 22, 24, 32, 44, 48, 64};
    return sides;
}

QList<int> ButtonImage::slotPixels(qreal devicePixelRatio)
{
    QList<int> sides{16, 22, 24, 32};
    if (devicePixelRatio > 1.0)
        sides << 44 << 48 << 64;
    return sides;
}

QList<QImage> ButtonImage::render(const MenuIcon &icon, const QColor &tint, const QList<int> &sides)
{
    QList<QImage> pictures;
    for (const int side : sides)
        pictures.append(icon.renderSlot(side, tint));
    return pictures;
}

QList<QImage> ButtonImage::render(const MenuIcon &icon, const PanelColour::Tint &tint,
                                  const QList<int> &sides)
{
    QList<QImage> pictures = render(icon, tint.fill, sides);
    if (tint.outline.isValid())
        for (QImage &picture : pictures)
            picture = outlined(picture, tint.outline);
    return pictures;
}

QImage ButtonImage::outlined(const QImage &picture, const QColor &colour)
{
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    const int w = source.width(), h = source.height();
    // The border's coverage at each pixel: the most opaque neighbour.
    QImage out(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            int alpha = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (sx >= 0 && sy >= 0 && sx < w && sy < h)
                        alpha = std::max(alpha, qAlpha(source.pixel(sx, sy)));
                }
            line[x] = qRgba(colour.red(), colour.green(), colour.blue(), alpha);
        }
    }
    out = out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&out);
    painter.drawImage(0, 0, source);
    painter.end();
    return out;
}

QImage ButtonImage::faded(const QImage &picture, qreal opacity)
{
    if (opacity >= 1.0 || picture.isNull())
        return picture;
    QImage out(picture.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setOpacity(opacity);
    painter.drawImage(QPointF(0, 0), picture);
    return out;
}
