// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/PanelColour.h"

#include <QColor>
#include <QImage>
#include <QPainter>

// How many pixels of `picture`, laid on a panel of colour `panel`, stand out
// from that panel at least 3:1 (what graphics need to be seen).
inline int pixelsStandingOut(const QImage &picture, const QColor &panel)
{
    QImage onPanel(picture.size(), QImage::Format_RGB32);
    onPanel.fill(panel);
    QPainter(&onPanel).drawImage(0, 0, picture);
    int strong = 0;
    for (int y = 0; y < onPanel.height(); ++y)
        for (int x = 0; x < onPanel.width(); ++x)
            if (PanelColour::contrast(onPanel.pixelColor(x, y), panel) >= 3.0)
                ++strong;
    return strong;
}
