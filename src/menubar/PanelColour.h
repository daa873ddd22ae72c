// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <QStringList>

// The colour of the panel icon: light on dark panels, dark on light ones.
class PanelColour
{
public:
    // What a desktop publishes about its panel.
    enum class Scheme { unknown, dark, light };
    // The stored choice "iconColour": 0 follows the panel, 1 light, 2 dark.
    enum class Choice { automatic = 0, light = 1, dark = 2 };

    // Where the desktop's settings are read from.
    struct Session {
        QString currentDesktop; // XDG_CURRENT_DESKTOP, a colon-separated list
        QStringList configDirs; // XDG_CONFIG_HOME first, then XDG_CONFIG_DIRS
        // The freedesktop appearance setting "color-scheme" as the settings
        // portal answered it (1 dark, 2 light, else none), asked apart.
        Scheme portal = Scheme::unknown;
        QString gtkTheme; // GTK_THEME, "Name" or "Name:dark"
        // The text colour the X11 tray manager asks icons to use; invalid: none.
        QColor trayText;
        static Session current();
    };

    // The icon's colours: its body, and an outline around it where the
    // panel's colour is not known, so it reads on black and on white at once.
    struct Tint {
        QColor fill;
        QColor outline; // invalid: none
        bool operator==(const Tint &) const = default;
    };

    static const QColor &light();
    static const QColor &dark();

    // GNOME's top bar is dark in either mode; Xfce says per panel whether it is
    // dark; Plasma's panels follow their style (plasmarc), else its colour
    // scheme; LXQt its theme; GTK panels (MATE and others) their GTK theme;
    // else the tray manager's text colour, else the portal.
    static Scheme schemeFor(const Session &session);
    // The icon's colours for a choice; with none made, the text colour of the
    // tray the icon is docked in (`dockedText`, invalid: none), else the
    // panel's scheme, and with the panel saying nothing, light with a dark
    // outline.
    static Tint tintFor(Choice choice, Scheme scheme, const QColor &dockedText = {});
    static Choice choice(qint64 stored);

    // W3C relative luminance of an opaque colour, 0…1, and the contrast
    // ratio of two colours, 1…21.
    static double luminance(const QColor &c);
    static double contrast(const QColor &a, const QColor &b);

private:
    static Scheme xfcePanel(const QStringList &configDirs);
    static Scheme plasma(const QStringList &configDirs);
    static Scheme plasmaStyle(const QStringList &configDirs);
    static Scheme lxqt(const QStringList &configDirs);
    static Scheme gtk(const Session &session);
};
