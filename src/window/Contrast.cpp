// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/Contrast.h"

#include <algorithm>
#include <cmath>

namespace
{
double channel(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

QColor mix(const QColor &from, const QColor &to, double t)
{
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF());
}
} // namespace

double Contrast::ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Contrast::against(const QColor &colour, const QColor &background, double minimum)
{
    return against(colour, QList<QColor>{background}, minimum);
}

QColor Contrast::against(const QColor &colour, const QList<QColor> &backgrounds, double minimum)
{
    const auto weakest = [&backgrounds](const QColor &c) {
        double least = 21;
        for (const QColor &background : backgrounds)
            least = std::min(least, ratio(c, background));
        return least;
    };
    if (backgrounds.isEmpty())
        return colour;
    // A translucent colour (Qt's placeholder text is half the text colour) is
    // seen as drawn on the background.
    const QColor seen = mix(backgrounds.first(), QColor(colour.rgb()), colour.alphaF());
    if (weakest(seen) >= minimum)
        return colour;
    // Towards black on a light background, towards white on a dark one; a
    // little beyond the bare figure, so rounding in a screenshot keeps it.
    const QColor &first = backgrounds.first();
    const QColor end =
        ratio(Qt::black, first) >= ratio(Qt::white, first) ? QColor(Qt::black) : QColor(Qt::white);
    for (int step = 1; step <= 100; ++step) {
        const QColor moved = mix(seen, end, step / 100.0);
        if (weakest(moved) >= minimum + 0.1)
            return moved;
    }
    return end;
}
