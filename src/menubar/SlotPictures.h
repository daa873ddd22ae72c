// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/MenuIcon.h"
#include "menubar/PanelColour.h"

#include <QImage>
#include <QList>
#include <utility>

// One drawing of the button for every square slot a host may show it in:
// each side is drawn when it is first asked for and then kept, so a host that
// shows one size costs one drawing, and an unchanged icon none.
class SlotPictures
{
public:
    SlotPictures(MenuIcon icon, PanelColour::Tint tint);

    // The picture for a slot of `side` × `side` device pixels, at full opacity.
    QImage at(int side) const;
    // How many sides have been drawn so far.
    qsizetype drawnCount() const { return m_drawn.size(); }

private:
    MenuIcon m_icon;
    PanelColour::Tint m_tint;
    mutable QList<std::pair<int, QImage>> m_drawn;
};
