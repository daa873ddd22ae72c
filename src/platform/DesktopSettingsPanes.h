// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/SystemSettingsPanes.h"

#include <QStringList>
#include <functional>

// Opens the settings of the running desktop, chosen by XDG_CURRENT_DESKTOP:
// GNOME's control centre, KDE Plasma's system settings; elsewhere, or when the
// program cannot be started, a German text says where to look.
class DesktopSettingsPanes : public SystemSettingsPanes
{
public:
    // Starts a program detached; answers whether it started.
    using Launcher = std::function<bool(const QString &program, const QStringList &arguments)>;

    explicit DesktopSettingsPanes(QString currentDesktop, Launcher launcher = {});

    std::optional<QString> open(Pane pane) override;

    // Program and arguments for the pane on this desktop; empty when there is none.
    QStringList command(Pane pane) const;
    static QString hint(Pane pane);

private:
    QStringList m_desktops;
    Launcher m_launch;
};
