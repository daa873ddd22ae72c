#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

class MenuIcon;

// The picture of the status button. The tray shows no text of its own, so a
// title is drawn into the picture, before the battery symbol.
class ButtonImage
{
public:
    // The title (may be empty) followed by the icon, as a template image.
    static QImage render(const MenuIcon &icon, const QString &title, qreal devicePixelRatio);
    // The 1× and 2× pictures at the given opacity, for the tray.
    static QIcon icon(const QImage &at1x, const QImage &at2x, qreal opacity);
};
