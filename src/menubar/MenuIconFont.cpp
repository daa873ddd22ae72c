// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/MenuIconFont.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>

namespace
{
// A device at 72 dots per inch, where one point is one unit.
const QImage &pointDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(72.0 / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}
} // namespace

QFont MenuIconFont::bold(qreal points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setWeight(QFont::Bold);
    return inPoints(font, points);
}

QFont MenuIconFont::regular(qreal points)
{
    return inPoints(QFontDatabase::systemFont(QFontDatabase::GeneralFont), points);
}

QFont MenuIconFont::inPoints(QFont font, qreal points)
{
    font.setPointSizeF(points);
    font.setHintingPreference(QFont::PreferNoHinting);
    return QFont(font, &pointDevice());
}

QPainterPath MenuIconFont::textPath(const QFont &font, const QString &text)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    return path;
}

qreal MenuIconFont::advance(const QFont &font, const QString &text)
{
    return QFontMetricsF(font, &pointDevice()).horizontalAdvance(text);
}
