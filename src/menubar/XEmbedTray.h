// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/TrayIcon.h"

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

class QMenu;

// The icon in an X11 tray without a StatusNotifierWatcher: Qt's tray icon
// docked over XEmbed, with Qt's own menu. Either click opens the menu at the
// icon, as panels open their own buttons' menus.
class XEmbedTray : public QObject, public TrayIcon
{
    Q_OBJECT
public:
    // `refresh` brings the menu's rows up to date before it opens.
    XEmbedTray(QMenu &menu, std::function<void()> refresh, QObject *parent = nullptr);

    QSystemTrayIcon &icon() { return m_icon; }
    const QSystemTrayIcon &icon() const { return m_icon; }

    QList<int> slotPixels() const override;
    void setPictures(std::shared_ptr<const SlotPictures> pictures, qreal opacity) override;
    void setToolTip(const QString &title, const QString &text) override;
    void setLabel(const QString &, const QString &) override {}
    bool showsLabel() const override { return false; }

    // Opens the menu at the icon (or moves it there when Qt opened it at the pointer).
    void popUpAtIcon();

private:
    QMenu &m_menu;
    std::function<void()> m_refresh;
    QSystemTrayIcon m_icon;
    // The rows were brought up to date just before the menu was put up.
    bool m_refreshed = false;
};
