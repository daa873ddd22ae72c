// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QList>

// Contrast as WCAG 2 measures it, and colours moved just far enough to reach
// it: 4.5:1 for text, 3:1 for lines, marks and focus rings.
namespace Contrast
{
constexpr double text = 4.5;
constexpr double graphics = 3.0;

double ratio(const QColor &a, const QColor &b);
// `colour`, darkened or lightened (whichever leads away from `background`)
// until it stands `minimum`:1 against it; unchanged when it already does.
QColor against(const QColor &colour, const QColor &background, double minimum);
// The same against each of several backgrounds a text may be drawn on (a
// window, the lighter pane of a tab, a group's frame); the first sets the
// direction.
QColor against(const QColor &colour, const QList<QColor> &backgrounds, double minimum);
} // namespace Contrast
