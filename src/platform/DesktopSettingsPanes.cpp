// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DesktopSettingsPanes.h"

#include "app/L.h"

#include <QProcess>

DesktopSettingsPanes::DesktopSettingsPanes(QString currentDesktop, Launcher launcher)
    : m_desktops(currentDesktop.toUpper().split(QLatin1Char(':'), Qt::SkipEmptyParts)),
      m_launch(std::move(launcher))
{
    if (!m_launch)
        m_launch = [](const QString &program, const QStringList &arguments) {
            return QProcess::startDetached(program, arguments);
        };
}

QStringList DesktopSettingsPanes::command(Pane pane) const
{
    // XDG_CURRENT_DESKTOP lists the desktop and the ones it derives from.
    for (const QString &desktop : m_desktops) {
        if (desktop == QLatin1String("GNOME") || desktop == QLatin1String("UNITY")) {
            switch (pane) {
            case Pane::Battery:
            case Pane::PanelIcons:
                return {QStringLiteral("gnome-control-center"), QStringLiteral("power")};
            case Pane::Notifications:
                return {QStringLiteral("gnome-control-center"), QStringLiteral("notifications")};
            }
        }
        if (desktop == QLatin1String("KDE")) {
            switch (pane) {
            case Pane::Battery:
                return {QStringLiteral("systemsettings"),
                        QStringLiteral("kcm_powerdevilprofilesconfig")};
            case Pane::PanelIcons:
                return {}; // the tray's own settings, reached from the panel
            case Pane::Notifications:
                return {QStringLiteral("systemsettings"), QStringLiteral("kcm_notifications")};
            }
        }
    }
    return {};
}

QString DesktopSettingsPanes::hint(Pane pane)
{
    switch (pane) {
    case Pane::Battery:
        return L("Diese Arbeitsumgebung lässt sich nicht direkt öffnen. Die Energie- und "
                 "Akku-Einstellungen findest du in ihren Systemeinstellungen.");
    case Pane::PanelIcons:
        return L("Das eigene Akku-Symbol der Arbeitsumgebung blendest du in den Einstellungen "
                 "ihrer Leiste aus – unter KDE Plasma mit einem Rechtsklick auf die Systemleiste, "
                 "„Systemleiste einrichten …“, „Einträge“.");
    case Pane::Notifications:
        return L("Diese Arbeitsumgebung lässt sich nicht direkt öffnen. Erlaube Mitteilungen von "
                 "Voltquill in ihren Systemeinstellungen; ohne laufenden Mitteilungsdienst "
                 "erscheinen keine Mitteilungen.");
    }
    return {};
}

std::optional<QString> DesktopSettingsPanes::open(Pane pane)
{
    const QStringList cmd = command(pane);
    if (!cmd.isEmpty() && m_launch(cmd.first(), cmd.mid(1)))
        return std::nullopt;
    return hint(pane);
}
