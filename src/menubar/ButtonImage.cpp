#include "menubar/ButtonImage.h"

#include "menubar/MenuIcon.h"
#include "menubar/MenuIconFont.h"

#include <QPainter>
#include <QPixmap>
#include <cmath>

namespace
{
// About the size of the panel's own text.
constexpr qreal titlePoints = 13.0;
// The battery body's vertical middle, from the top of the 18-point image.
constexpr qreal bodyMiddleFromTop = 18.0 - 10.5;

QImage faded(const QImage &image, qreal opacity)
{
    if (opacity >= 1.0)
        return image;
    QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(image.devicePixelRatio());
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setOpacity(opacity);
    painter.drawImage(QPointF(0, 0), image);
    return out;
}
} // namespace

QImage ButtonImage::render(const MenuIcon &icon, const QString &title, qreal devicePixelRatio)
{
    if (title.isEmpty())
        return icon.render(devicePixelRatio);
    const QFont font = MenuIconFont::regular(titlePoints);
    const qreal titleWidth = icon.textAdvance(font, title);
    const QSizeF iconSize = icon.size();
    QImage image(static_cast<int>(std::ceil((titleWidth + iconSize.width()) * devicePixelRatio)),
                 static_cast<int>(std::ceil(iconSize.height() * devicePixelRatio - 1e-6)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The digits are centred on the battery's middle.
    const QPainterPath digits = icon.textPath(font, title.trimmed());
    const qreal baseline = bodyMiddleFromTop - digits.boundingRect().center().y();
    painter.fillPath(icon.textPath(font, title).translated(0, baseline), Qt::black);
    painter.translate(titleWidth, 0);
    icon.draw(painter);
    return image;
}

QIcon ButtonImage::icon(const QImage &at1x, const QImage &at2x, qreal opacity)
{
    QIcon result;
    result.addPixmap(QPixmap::fromImage(faded(at1x, opacity)));
    result.addPixmap(QPixmap::fromImage(faded(at2x, opacity)));
    return result;
}
