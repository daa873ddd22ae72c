// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/XEmbedTray.h"

#include "menubar/MenuPlacement.h"
#include "menubar/SlotIconEngine.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

XEmbedTray::XEmbedTray(QMenu &menu, std::function<void()> refresh, QObject *parent)
    : QObject(parent), m_menu(menu), m_refresh(std::move(refresh))
{
    m_icon.setContextMenu(&m_menu);
    connect(&m_menu, &QMenu::aboutToShow, this, [this] {
        if (m_refreshed)
            m_refreshed = false;
        else if (m_refresh)
            m_refresh();
    });
    // A plain click opens the menu too, as on a panel button. Only on X11: a
    // Wayland client can neither read the pointer nor place a free popup there.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        connect(&m_icon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                        popUpAtIcon();
                });
    }
}

QList<int> XEmbedTray::slotPixels() const
{
    // Qt paints the docked slot from the icon: that one size is drawn then.
    return {};
}

void XEmbedTray::setPictures(std::shared_ptr<const SlotPictures> pictures, qreal opacity)
{
    m_icon.setIcon(QIcon(new SlotIconEngine(std::move(pictures), opacity)));
}

void XEmbedTray::setToolTip(const QString &title, const QString &text)
{
    const QString toolTip = title + QLatin1Char('\n') + text;
    if (m_icon.toolTip() != toolTip)
        m_icon.setToolTip(toolTip);
}

void XEmbedTray::popUpAtIcon()
{
    // An XEmbed icon knows where it is; without a place the menu opens at the pointer.
    const QRect icon = m_icon.geometry();
    if (!icon.isValid()) {
        if (!m_menu.isVisible())
            m_menu.popup(QCursor::pos());
        return;
    }
    if (!m_menu.isVisible() && m_refresh) {
        m_refresh();
        m_refreshed = true;
    }
    const QPoint at = MenuPlacement::at(icon, m_menu.sizeHint());
    if (m_menu.isVisible())
        m_menu.move(at);
    else
        m_menu.popup(at);
    m_refreshed = false;
}
