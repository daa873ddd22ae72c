// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/StatusNotifierItem.h"

#include "menubar/ButtonImage.h"
#include "menubar/DesktopNames.h"
#include "menubar/SlotPictures.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace
{
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString menuPath = QStringLiteral("/MenuBar");
} // namespace

StatusNotifierItem::StatusNotifierItem(const MenuRows &rows, DBusMenu::Handlers menuHandlers,
                                       Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_menu(rows, std::move(menuHandlers))
{
    registerSniTypes();
    m_watcherWatch.setWatchMode(QDBusServiceWatcher::WatchForRegistration);
    m_watcherWatch.addWatchedService(watcherService);
    connect(&m_watcherWatch, &QDBusServiceWatcher::serviceRegistered, this,
            &StatusNotifierItem::registerWithWatcher);
}

StatusNotifierItem::~StatusNotifierItem()
{
    m_menu.withdraw();
    if (!m_service.isEmpty()) {
        m_bus.unregisterObject(itemPath);
        m_bus.unregisterService(m_service);
    }
}

bool StatusNotifierItem::publish(int number, QDBusConnection bus)
{
    if (!bus.isConnected())
        return false;
    m_bus = bus;
    m_watcherWatch.setConnection(bus);
    const QString name = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                             .arg(QCoreApplication::applicationPid())
                             .arg(number);
    if (!bus.registerService(name))
        return false;
    m_service = name;
    if (!bus.registerObject(itemPath, this, QDBusConnection::ExportScriptableContents) ||
        !m_menu.publish(bus, menuPath))
        return false;
    registerWithWatcher();
    return true;
}

void StatusNotifierItem::registerWithWatcher()
{
    if (m_service.isEmpty())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        watcherService, QStringLiteral("/StatusNotifierWatcher"), watcherService,
        QStringLiteral("RegisterStatusNotifierItem"));
    call << m_service;
    m_bus.asyncCall(call);
}

QDBusObjectPath StatusNotifierItem::menu() const
{
    return QDBusObjectPath(menuPath);
}

bool StatusNotifierItem::desktopShowsLabel(const QString &currentDesktop)
{
    // The panels known to draw XAyatanaLabel beside the icon.
    for (const char *name : {"GNOME", "ubuntu", "MATE", "Unity"})
        if (DesktopNames::contains(currentDesktop, QLatin1String(name)))
            return true;
    return false;
}

bool StatusNotifierItem::desktopOpensMenuOnRefusal(const QString &currentDesktop)
{
    return DesktopNames::contains(currentDesktop, QLatin1String("KDE"));
}

void StatusNotifierItem::setPictures(std::shared_ptr<const SlotPictures> pictures, qreal opacity)
{
    QList<SniPixmap> pixmaps;
    for (const int side : m_options.slotPixels)
        pixmaps << SniPixmap::fromImage(ButtonImage::faded(pictures->at(side), opacity));
    m_pixmaps = std::move(pixmaps);
    Q_EMIT NewIcon();
}

void StatusNotifierItem::setToolTip(const QString &title, const QString &text)
{
    if (m_toolTip.title == title && m_toolTip.text == text)
        return;
    m_toolTip.title = title;
    m_toolTip.text = text;
    Q_EMIT NewToolTip();
}

void StatusNotifierItem::setLabel(const QString &label, const QString &guide)
{
    if (m_label == label && m_guide == guide)
        return;
    m_label = label;
    m_guide = guide;
    Q_EMIT XAyatanaNewLabel(label, guide);
}

void StatusNotifierItem::popUp(int x, int y)
{
    if (m_options.popUpAt)
        m_options.popUpAt(QPoint(x, y));
}

// A host that honours ItemIsMenu opens the dbusmenu itself; one that calls
// these instead gets the same menu at the pointer.
void StatusNotifierItem::Activate(int x, int y)
{
    if (m_options.refuseActivate && calledFromDBus()) {
        sendErrorReply(QDBusError::NotSupported, QStringLiteral("Das Symbol ist ein Menü."));
        return;
    }
    popUp(x, y);
}

void StatusNotifierItem::ContextMenu(int x, int y)
{
    popUp(x, y);
}

void StatusNotifierItem::SecondaryActivate(int, int) {}

void StatusNotifierItem::Scroll(int, const QString &) {}

void StatusNotifierItem::ProvideXdgActivationToken(const QString &) {}
