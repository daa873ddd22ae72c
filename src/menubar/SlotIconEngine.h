// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIconEngine>
#include <memory>

class SlotPictures;

// The button as a QIcon whose pictures are drawn at the size it is painted
// at: an XEmbed tray paints its one slot, and only that slot is drawn.
class SlotIconEngine : public QIconEngine
{
public:
    SlotIconEngine(std::shared_ptr<const SlotPictures> pictures, qreal opacity);

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;

private:
    QImage picture(int side) const;

    std::shared_ptr<const SlotPictures> m_pictures;
    qreal m_opacity;
};
