// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/PanelColour.h"

#include "menubar/DesktopNames.h"
#include "shared/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

namespace
{
bool hasDesktop(const QString &list, QLatin1String name)
{
    return DesktopNames::contains(list, name);
}

// The first file of that name in the configuration folders, as the desktop reads it.
QString firstFile(const QStringList &configDirs, const QString &name)
{
    for (const QString &dir : configDirs)
        if (const QString path = dir + QLatin1Char('/') + name; QFile::exists(path))
            return path;
    return {};
}

// A theme's name says dark in the ways themes name themselves: "Breeze-Dark",
// "Adwaita:dark", "breeze-dark", "dark".
bool darkName(const QString &theme)
{
    const QString t = theme.trimmed().toLower();
    return t == QLatin1String("dark") || t.endsWith(QLatin1String("-dark")) ||
           t.endsWith(QLatin1String(":dark")) || t.endsWith(QLatin1String("_dark"));
}
} // namespace

double PanelColour::luminance(const QColor &c)
{
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double PanelColour::contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

PanelColour::Session PanelColour::Session::current()
{
    Session s;
    s.gtkTheme = qEnvironmentVariable("GTK_THEME");
    s.currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    s.configDirs << home;
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty())
        dirs = QStringLiteral("/etc/xdg");
    s.configDirs << dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return s;
}

const QColor &PanelColour::light()
{
    static const QColor colour(0xfa, 0xfa, 0xfa);
    return colour;
}

const QColor &PanelColour::dark()
{
    static const QColor colour(0x1c, 0x1c, 0x1c);
    return colour;
}

PanelColour::Choice PanelColour::choice(qint64 stored)
{
    switch (stored) {
    case 1:
        return Choice::light;
    case 2:
        return Choice::dark;
    default:
        return Choice::automatic;
    }
}

PanelColour::Scheme PanelColour::schemeFor(const Session &session)
{
    const QString &desktop = session.currentDesktop;
    if (hasDesktop(desktop, QLatin1String("GNOME")) || hasDesktop(desktop, QLatin1String("ubuntu")))
        return Scheme::dark;
    // Without a name (a bare session) the panel may still be Xfce's.
    if (desktop.isEmpty() || hasDesktop(desktop, QLatin1String("XFCE"))) {
        if (const Scheme s = xfcePanel(session.configDirs); s != Scheme::unknown)
            return s;
    }
    if (hasDesktop(desktop, QLatin1String("KDE"))) {
        // The panel's style may be dark under a light colour scheme.
        if (const Scheme s = plasmaStyle(session.configDirs); s != Scheme::unknown)
            return s;
        if (const Scheme s = plasma(session.configDirs); s != Scheme::unknown)
            return s;
    }
    if (hasDesktop(desktop, QLatin1String("LXQt"))) {
        if (const Scheme s = lxqt(session.configDirs); s != Scheme::unknown)
            return s;
    }
    if (const Scheme s = gtk(session); s != Scheme::unknown)
        return s;
    // Light text is drawn on a dark panel.
    if (session.trayText.isValid())
        return luminance(session.trayText) > 0.5 ? Scheme::dark : Scheme::light;
    return session.portal;
}

PanelColour::Tint PanelColour::tintFor(Choice choice, Scheme scheme, const QColor &dockedText)
{
    if (choice == Choice::automatic && dockedText.isValid())
        return {dockedText.toRgb(), {}};
    if (choice == Choice::light || (choice == Choice::automatic && scheme == Scheme::dark))
        return {light(), {}};
    if (choice == Choice::dark || (choice == Choice::automatic && scheme == Scheme::light))
        return {dark(), {}};
    return {light(), dark()};
}

PanelColour::Scheme PanelColour::plasmaStyle(const QStringList &configDirs)
{
    const QString path = firstFile(configDirs, QStringLiteral("plasmarc"));
    if (path.isEmpty())
        return Scheme::unknown;
    const QString name =
        QSettings(path, QSettings::IniFormat).value(QStringLiteral("Theme/name")).toString();
    if (name.isEmpty())
        return Scheme::unknown;
    // "default" is Breeze, whose panel follows the colour scheme.
    if (darkName(name) || name.compare(QLatin1String("oxygen"), Qt::CaseInsensitive) == 0)
        return Scheme::dark;
    if (name.compare(QLatin1String("breeze-light"), Qt::CaseInsensitive) == 0)
        return Scheme::light;
    return Scheme::unknown;
}

PanelColour::Scheme PanelColour::lxqt(const QStringList &configDirs)
{
    const QString path = firstFile(configDirs, QStringLiteral("lxqt/lxqt.conf"));
    if (path.isEmpty())
        return Scheme::unknown;
    const QString theme =
        QSettings(path, QSettings::IniFormat).value(QStringLiteral("theme")).toString().toLower();
    // The panels of the themes LXQt ships.
    if (darkName(theme) || theme.contains(QLatin1String("dark")) ||
        theme == QLatin1String("ambiance") || theme == QLatin1String("kde-plasma") ||
        theme == QLatin1String("leech") || theme == QLatin1String("valendas"))
        return Scheme::dark;
    if (theme == QLatin1String("light") || theme == QLatin1String("clearlooks") ||
        theme == QLatin1String("frost") || theme == QLatin1String("silver") ||
        theme == QLatin1String("system"))
        return Scheme::light;
    return Scheme::unknown;
}

PanelColour::Scheme PanelColour::gtk(const Session &session)
{
    if (!session.gtkTheme.isEmpty())
        return darkName(session.gtkTheme) ? Scheme::dark : Scheme::unknown;
    const QString path = firstFile(session.configDirs, QStringLiteral("gtk-3.0/settings.ini"));
    if (path.isEmpty())
        return Scheme::unknown;
    const QSettings ini(path, QSettings::IniFormat);
    const QString prefer =
        ini.value(QStringLiteral("Settings/gtk-application-prefer-dark-theme")).toString();
    if (prefer == QLatin1String("true") || prefer == QLatin1String("1") ||
        darkName(ini.value(QStringLiteral("Settings/gtk-theme-name")).toString()))
        return Scheme::dark;
    return Scheme::unknown;
}

PanelColour::Scheme PanelColour::xfcePanel(const QStringList &configDirs)
{
    // The first file found holds the setting; xfconf reads the user's over
    // the system's defaults. "dark-mode" applies to every panel.
    for (const QString &dir : configDirs) {
        const RegularFile::Contents file = RegularFile::read(
            dir + QStringLiteral("/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"), 1 << 20,
            RegularFile::Links::Follow);
        if (file.status != RegularFile::Status::Read)
            continue;
        QXmlStreamReader xml(file.data);
        int depth = 0;
        bool inPanels = false;
        while (!xml.atEnd() && !xml.hasError()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                ++depth;
                if (xml.name() != QLatin1String("property"))
                    continue;
                const auto name = xml.attributes().value(QLatin1String("name"));
                if (depth == 2)
                    inPanels = name == QLatin1String("panels");
                else if (depth == 3 && inPanels && name == QLatin1String("dark-mode"))
                    return xml.attributes().value(QLatin1String("value")) == QLatin1String("true")
                               ? Scheme::dark
                               : Scheme::light;
            } else if (token == QXmlStreamReader::EndElement) {
                --depth;
            }
        }
        return Scheme::unknown;
    }
    return Scheme::unknown;
}

PanelColour::Scheme PanelColour::plasma(const QStringList &configDirs)
{
    for (const QString &dir : configDirs) {
        const QString path = dir + QStringLiteral("/kdeglobals");
        // QSettings would block on a FIFO and read a file of any size.
        if (RegularFile::read(path, 1 << 20, RegularFile::Links::Follow).status !=
            RegularFile::Status::Read)
            continue;
        const QSettings globals(path, QSettings::IniFormat);
        const QStringList rgb =
            globals.value(QStringLiteral("Colors:Window/BackgroundNormal")).toStringList();
        if (rgb.size() < 3)
            continue;
        bool ok[3] = {};
        const QColor background(rgb[0].trimmed().toInt(&ok[0]), rgb[1].trimmed().toInt(&ok[1]),
                                rgb[2].trimmed().toInt(&ok[2]));
        if (!ok[0] || !ok[1] || !ok[2] || !background.isValid())
            continue;
        return luminance(background) < 0.5 ? Scheme::dark : Scheme::light;
    }
    return Scheme::unknown;
}
