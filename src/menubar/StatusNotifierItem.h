// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/DBusMenu.h"
#include "menubar/SniPixmap.h"
#include "menubar/TrayIcon.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QPoint>
#include <functional>

class MenuRows;

// The icon as a StatusNotifierItem on the session bus, with its menu as
// dbusmenu beside it. The item is a menu: a left click opens the same menu as
// a right click. It registers with the panel's watcher, and again whenever a
// watcher (a restarted panel) appears.
class StatusNotifierItem : public QObject, public TrayIcon, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category SCRIPTABLE true)
    Q_PROPERTY(QString Id READ id SCRIPTABLE true)
    Q_PROPERTY(QString Title READ title SCRIPTABLE true)
    Q_PROPERTY(QString Status READ status SCRIPTABLE true)
    Q_PROPERTY(int WindowId READ windowId SCRIPTABLE true)
    Q_PROPERTY(QString IconThemePath READ emptyText SCRIPTABLE true)
    Q_PROPERTY(QDBusObjectPath Menu READ menu SCRIPTABLE true)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu SCRIPTABLE true)
    Q_PROPERTY(QString IconName READ emptyText SCRIPTABLE true)
    Q_PROPERTY(QList<SniPixmap> IconPixmap READ iconPixmap SCRIPTABLE true)
    Q_PROPERTY(QString OverlayIconName READ emptyText SCRIPTABLE true)
    Q_PROPERTY(QList<SniPixmap> OverlayIconPixmap READ noPixmaps SCRIPTABLE true)
    Q_PROPERTY(QString AttentionIconName READ emptyText SCRIPTABLE true)
    Q_PROPERTY(QList<SniPixmap> AttentionIconPixmap READ noPixmaps SCRIPTABLE true)
    Q_PROPERTY(QString AttentionMovieName READ emptyText SCRIPTABLE true)
    Q_PROPERTY(SniToolTip ToolTip READ toolTip SCRIPTABLE true)
    Q_PROPERTY(QString XAyatanaLabel READ label SCRIPTABLE true)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide SCRIPTABLE true)
    Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex SCRIPTABLE true)
public:
    struct Options {
        // Opens Qt's own menu at a point on the screen, for a host that asks
        // the item to show its menu itself; empty where no client may place a
        // free popup (Wayland).
        std::function<void(QPoint)> popUpAt;
        // Whether the desktop's panel draws XAyatanaLabel.
        bool showsLabel = false;
        // Whether the panel opens the item's own menu when Activate is
        // refused (Plasma calls Activate at every left click): then it is
        // refused, so a left click shows the same menu as a right click.
        bool refuseActivate = false;
        // The slot sides drawn for the panel.
        QList<int> slotPixels;
    };

    StatusNotifierItem(const MenuRows &rows, DBusMenu::Handlers menuHandlers, Options options,
                       QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // Takes a bus name, puts item and menu on the bus and registers with the
    // watcher; false when the bus refused the name or the paths. Each item of
    // a run has its own `number`: a watcher still dropping the previous one's
    // name must not drop the new one with it.
    bool publish(int number, QDBusConnection bus = QDBusConnection::sessionBus());
    QString serviceName() const { return m_service; }

    QList<int> slotPixels() const override { return m_options.slotPixels; }
    void setPictures(std::shared_ptr<const SlotPictures> pictures, qreal opacity) override;
    void setToolTip(const QString &title, const QString &text) override;
    void setLabel(const QString &label, const QString &guide) override;
    bool showsLabel() const override { return m_options.showsLabel; }

    QString category() const { return QStringLiteral("Hardware"); }
    QString id() const { return QStringLiteral("voltquill"); }
    QString title() const { return QStringLiteral("Voltquill"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString emptyText() const { return {}; }
    QDBusObjectPath menu() const;
    bool itemIsMenu() const { return true; }
    QList<SniPixmap> iconPixmap() const { return m_pixmaps; }
    QList<SniPixmap> noPixmaps() const { return {}; }
    SniToolTip toolTip() const { return m_toolTip; }
    QString label() const { return m_label; }
    QString labelGuide() const { return m_guide; }
    uint orderingIndex() const { return 0; }

    // Whether panels of this desktop (XDG_CURRENT_DESKTOP) draw an item's label.
    static bool desktopShowsLabel(const QString &currentDesktop);
    // Whether they open the item's menu themselves when Activate is refused.
    static bool desktopOpensMenuOnRefusal(const QString &currentDesktop);

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString &orientation);
    Q_SCRIPTABLE void ProvideXdgActivationToken(const QString &token);

Q_SIGNALS:
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewStatus(const QString &status);
    Q_SCRIPTABLE void XAyatanaNewLabel(const QString &label, const QString &guide);

private:
    void registerWithWatcher();
    void popUp(int x, int y);

    Options m_options;
    DBusMenu m_menu;
    QDBusConnection m_bus{QString()};
    QString m_service;
    QDBusServiceWatcher m_watcherWatch;
    QList<SniPixmap> m_pixmaps;
    SniToolTip m_toolTip;
    QString m_label;
    QString m_guide;
};
