// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/SlotPictures.h"

#include "menubar/ButtonImage.h"

SlotPictures::SlotPictures(MenuIcon icon, PanelColour::Tint tint)
    : m_icon(std::move(icon)), m_tint(std::move(tint))
{
}

QImage SlotPictures::at(int side) const
{
    if (side <= 0)
        return {};
    for (const auto &[drawnSide, picture] : m_drawn)
        if (drawnSide == side)
            return picture;
    const QImage picture = ButtonImage::render(m_icon, m_tint, {side}).constFirst();
    m_drawn.append({side, picture});
    return picture;
}
