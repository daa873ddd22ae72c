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
        static Session current();
    };

    static const QColor &light();
    static const QColor &dark();

    // GNOME's top bar is dark in either mode; Xfce says per panel whether it is
    // dark; Plasma's panels follow its colour scheme; else the portal.
    static Scheme schemeFor(const Session &session);
    // The icon colour for a choice; with none made, the panel's scheme, and
    // with the panel saying nothing, the palette's text colour.
    static QColor textFor(Choice choice, Scheme scheme, const QPalette &palette);
    static Choice choice(qint64 stored);

private:
    static Scheme xfcePanel(const QStringList &configDirs);
    static Scheme plasma(const QStringList &configDirs);
};
