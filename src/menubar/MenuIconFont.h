// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QPainterPath>
#include <QString>

// Text laid out in points: the sizes mean points of the drawing's grid, not
// pixels of a screen, so the same text has the same shape at every scale.
class MenuIconFont
{
public:
    // The bold system font at `points`.
    static QFont bold(qreal points);
    // The regular system font at `points`.
    static QFont regular(qreal points);

    // The glyph outlines of `text` with the baseline at y = 0 and y down.
    static QPainterPath textPath(const QFont &font, const QString &text);
    // The typographic advance of `text`.
    static qreal advance(const QFont &font, const QString &text);

private:
    static QFont inPoints(QFont font, qreal points);
};
