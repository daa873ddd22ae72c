// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/PanelColour.h"
#include "menubar/PortalColorScheme.h"
#include "menubar/TrayManagerColour.h"

#include <QObject>
#include <functional>

// The panel's colour scheme as the desktop tells it, followed while it
// changes: the desktop's own files when the icon is first put up, the X11
// tray manager's text colour, the settings portal's answer when it comes, and
// the application's palette.
class PanelTint : public QObject
{
    Q_OBJECT
public:
    explicit PanelTint(std::function<PanelColour::Session()> session, QObject *parent = nullptr);

    // Reads the desktop's files and the tray manager's colours and asks the
    // portal, once.
    void start();
    PanelColour::Scheme scheme() const { return m_scheme; }
    // The icon's colour for the stored choice "iconColour"; `docked` when the
    // icon sits in the X11 tray, whose text colour then comes first.
    PanelColour::Tint tint(qint64 storedChoice, bool docked) const;

Q_SIGNALS:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void read();

    std::function<PanelColour::Session()> m_session;
    PortalColorScheme m_portal;
    TrayManagerColour m_trayManager;
    PanelColour::Scheme m_scheme = PanelColour::Scheme::unknown;
    bool m_started = false;
};
