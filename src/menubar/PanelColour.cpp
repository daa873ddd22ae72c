#include "menubar/PanelColour.h"

#include <QGuiApplication>

QColor PanelColour::text()
{
    return textFor(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), QGuiApplication::palette());
}

QColor PanelColour::textFor(const QString &currentDesktop, const QPalette &palette)
{
    // A colon-separated list, e.g. "ubuntu:GNOME".
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &desktop : desktops) {
        if (desktop.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0 ||
            desktop.compare(QLatin1String("ubuntu"), Qt::CaseInsensitive) == 0)
            return Qt::white;
    }
    QColor colour = palette.color(QPalette::Active, QPalette::WindowText);
    colour.setAlpha(255);
    return colour;
}
