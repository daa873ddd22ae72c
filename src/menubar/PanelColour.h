#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

// The colour the panel draws its own text in, which the template icon takes.
class PanelColour
{
public:
    // For the running session: XDG_CURRENT_DESKTOP and the application palette.
    static QColor text();
    // GNOME's top bar is dark in light and dark mode alike, so its text is white;
    // other panels follow the desktop's colour scheme, as the palette does.
    static QColor textFor(const QString &currentDesktop, const QPalette &palette);
};
