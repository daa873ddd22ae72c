// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/SlotIconEngine.h"

#include "menubar/ButtonImage.h"
#include "menubar/SlotPictures.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <cmath>

SlotIconEngine::SlotIconEngine(std::shared_ptr<const SlotPictures> pictures, qreal opacity)
    : m_pictures(std::move(pictures)), m_opacity(opacity)
{
}

QImage SlotIconEngine::picture(int side) const
{
    return m_pictures ? ButtonImage::faded(m_pictures->at(side), m_opacity) : QImage();
}

void SlotIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const int side = int(std::lround(std::min(rect.width(), rect.height()) * ratio));
    const QImage image = picture(side);
    if (image.isNull())
        return;
    const int points = std::min(rect.width(), rect.height());
    const QRect square(rect.x() + (rect.width() - points) / 2,
                       rect.y() + (rect.height() - points) / 2, points, points);
    painter->drawImage(square, image);
}

QPixmap SlotIconEngine::pixmap(const QSize &size, QIcon::Mode, QIcon::State)
{
    const QImage image = picture(std::min(size.width(), size.height()));
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QSize SlotIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    const int side = std::min(size.width(), size.height());
    return QSize(side, side);
}

QList<QSize> SlotIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    QList<QSize> sizes;
    for (const int side : ButtonImage::slotPixels())
        sizes << QSize(side, side);
    return sizes;
}

QIconEngine *SlotIconEngine::clone() const
{
    return new SlotIconEngine(m_pictures, m_opacity);
}

QString SlotIconEngine::key() const
{
    return QStringLiteral("voltquill-slot");
}
