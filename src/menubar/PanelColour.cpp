// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/PanelColour.h"

#include "shared/RegularFile.h"

#include <QDir>
#include <QSettings>
#include <QXmlStreamReader>

namespace
{
bool hasDesktop(const QString &list, QLatin1String name)
{
    const QStringList desktops = list.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &d : desktops)
        if (d.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// W3C relative luminance of an opaque colour, 0…1.
double luminance(const QColor &c)
{
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
} // namespace

PanelColour::Session PanelColour::Session::current()
{
    Session s;
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
        if (const Scheme s = plasma(session.configDirs); s != Scheme::unknown)
            return s;
    }
    return session.portal;
}

QColor PanelColour::textFor(Choice choice, Scheme scheme, const QPalette &palette)
{
    if (choice == Choice::light)
        return light();
    if (choice == Choice::dark)
        return dark();
    if (scheme == Scheme::dark)
        return light();
    if (scheme == Scheme::light)
        return dark();
    // The panel said nothing: it most likely draws its text as the
    // application's colour scheme does.
    return luminance(palette.color(QPalette::Active, QPalette::WindowText)) > 0.5 ? light()
                                                                                  : dark();
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
