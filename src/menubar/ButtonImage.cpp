// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/ButtonImage.h"

#include "menubar/MenuIcon.h"

#include <QPainter>
#include <QPixmap>

namespace
{
QImage faded(const QImage &image, qreal opacity)
{
    if (opacity >= 1.0)
        return image;
    QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setOpacity(opacity);
    painter.drawImage(QPointF(0, 0), image);
    return out;
}
} // namespace

const QList<int> &ButtonImage::slotPixels()
{
    static const QList<int> sides{16, 22, 24, 32, 44, 48, 64};
    return sides;
}

QList<QImage> ButtonImage::render(const MenuIcon &icon, const QColor &tint)
{
    QList<QImage> pictures;
    for (const int side : slotPixels())
        pictures.append(icon.renderSlot(side, tint));
    return pictures;
}

QIcon ButtonImage::icon(const QList<QImage> &pictures, qreal opacity)
{
    QIcon result;
    for (const QImage &picture : pictures)
        result.addPixmap(QPixmap::fromImage(faded(picture, opacity)));
    return result;
}
