// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/StatusItem.h"

#include "app/AppState.h"
#include "app/WindowView.h"
#include "menubar/ButtonImage.h"
#include "menubar/MenuIcon.h"
#include "menubar/PanelColour.h"
#include "menubar/StatusMenu.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimeLine>
#include <QTimer>

namespace
{
constexpr int blinkIntervalMs = 500;
constexpr int fadeMs = 350;
constexpr int fadeFrameMs = 40; // a few frames are enough, each one is a new tray picture
constexpr qreal dimOpacity = 0.15;

Badge badgeFor(const BatteryInfo &b)
{
    if (b.isCharging)
        return Badge::charging;
    if (b.pluggedIn)
        return Badge::plugged;
    return Badge::none;
}
} // namespace

StatusItem::StatusItem(AppState &state, WindowView *window, QObject *parent)
    : StatusItem(state, window, Options{}, parent)
{
}

StatusItem::StatusItem(AppState &state, WindowView *window, Options options, QObject *parent)
    : QObject(parent), m_state(state), m_window(window), m_options(std::move(options)),
      m_glyphs(m_options.glyphCacheFile, m_options.fontSetup)
{
    if (!m_options.trayAvailable) {
        m_options.trayAvailable = [host = m_options.statusNotifierHost] {
            if (host && QGuiApplication::platformName() != QLatin1String("xcb") && !host())
                return false;
            return QSystemTrayIcon::isSystemTrayAvailable();
        };
    }
    if (!m_options.session)
        m_options.session = [] { return PanelColour::Session::current(); };
    connect(&m_portal, &PortalColorScheme::changed, this, &StatusItem::panelChanged);
    m_trayWait.setInterval(m_options.retryIntervalMs);
    connect(&m_trayWait, &QTimer::timeout, this, &StatusItem::waitForTray);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

StatusItem::~StatusItem()
{
    // The tray icon refers to the menu: it goes first.
    m_item.reset();
    m_menu.reset();
}

void StatusItem::updateStatusItem()
{
    if (Prefs::showIcon()) {
        if (m_item) {
            refreshButton();
        } else if (m_options.trayAvailable()) {
            createItem();
        } else if (!m_trayWait.isActive()) {
            m_trayAttempts = 0;
            m_trayWait.start();
        }
        return;
    }
    m_trayWait.stop();
    if (m_item)
        removeItem();
}

void StatusItem::createItem()
{
    m_menu = std::make_unique<QMenu>();
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] {
        if (m_menuFilled)
            m_menuFilled = false;
        else
            menuNeedsUpdate(*m_menu);
    });
    m_item = std::make_unique<QSystemTrayIcon>();
    m_item->setContextMenu(m_menu.get());
    // A plain click opens the menu too, as on a panel button. Only on X11: a
    // Wayland client can neither read the pointer nor place a free popup there.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        connect(m_item.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context)
                        popUpAtIcon();
                });
    }
    if (!m_schemeRead)
        readPanel();
    // A new button starts at full opacity; a running blink picks it up at its next step.
    if (m_fade)
        m_fade->stop();
    m_opacity = 1.0;
    m_drawn.reset();
    refreshButton();
    m_item->show();
    // The portal answers later; the icon does not wait for it.
    QTimer::singleShot(0, &m_portal, &PortalColorScheme::start);
}

void StatusItem::readPanel()
{
    PanelColour::Session session = m_options.session();
    if (m_portal.scheme() != PanelColour::Scheme::unknown)
        session.portal = m_portal.scheme();
    m_scheme = PanelColour::schemeFor(session);
    m_schemeRead = true;
}

void StatusItem::panelChanged()
{
    readPanel();
    m_drawn.reset();
    refreshButton();
}

QColor StatusItem::tint() const
{
    const auto choice = PanelColour::choice(Prefs::iconColour());
    return PanelColour::textFor(choice, m_scheme, QGuiApplication::palette());
}

QImage StatusItem::buttonImage(int pixels) const
{
    const qsizetype i = ButtonImage::slotPixels().indexOf(pixels);
    return i < 0 || i >= m_pictures.size() ? QImage() : m_pictures.at(i);
}

void StatusItem::popUpAtIcon()
{
    if (!m_item || !m_menu)
        return;
    // An XEmbed icon knows where it is; a StatusNotifierItem's host places
    // the menu itself and never gets here with a geometry.
    const QRect icon = m_item->geometry();
    if (!icon.isValid()) {
        if (!m_menu->isVisible())
            m_menu->popup(QCursor::pos());
        return;
    }
    if (!m_menu->isVisible()) {
        menuNeedsUpdate(*m_menu);
        m_menuFilled = true;
    }
    const QScreen *screen = QGuiApplication::screenAt(icon.center());
    const QRect room = screen ? screen->geometry() : QRect(icon.topLeft(), QSize(4096, 4096));
    const QSize size = m_menu->sizeHint();
    const int x = std::clamp(icon.left(), room.left(),
                             std::max(room.left(), room.right() + 1 - size.width()));
    // Below the icon on a panel at the top, above it on one at the bottom.
    const int y = icon.bottom() + 1 + size.height() <= room.bottom() + 1
                      ? icon.bottom() + 1
                      : icon.top() - size.height();
    if (m_menu->isVisible())
        m_menu->move(x, y);
    else
        m_menu->popup(QPoint(x, y));
    m_menuFilled = false;
}

void StatusItem::removeItem()
{
    m_item.reset();
    m_menu.reset();
}

void StatusItem::waitForTray()
{
    if (!Prefs::showIcon()) {
        m_trayWait.stop();
        return;
    }
    if (m_options.trayAvailable()) {
        m_trayWait.stop();
        createItem();
        return;
    }
    if (++m_trayAttempts >= m_options.retryAttempts) {
        // No tray came: without the window the agent could not be reached at all.
        m_trayWait.stop();
        if (m_window)
            m_window->showWindow();
    }
}

void StatusItem::refreshButton()
{
    if (!m_item) {
        // A panel that came up after the wait: the next tick puts the icon there.
        if (Prefs::showIcon() && !m_trayWait.isActive() && m_options.trayAvailable())
            createItem();
        return;
    }
    const BatteryInfo &b = m_state.battery();
    const qint64 style = Prefs::iconStyle();
    const qint64 markerLimit = m_state.engaged() ? m_state.limit() : 100;
    const QColor colour = tint();
    const Drawn drawn{b.percent, style, badgeFor(b), markerLimit, colour.rgba()};
    if (drawn != m_drawn) {
        // Style 2's title does not fit a square slot; the tooltip carries it.
        const MenuIcon icon =
            MenuIcon::image(b.percent, style == 0, drawn.badge, markerLimit, &m_glyphs);
        m_pictures = ButtonImage::render(icon, colour);
        m_drawn = drawn;
        showOpacity(m_opacity);
    }
    const QString toolTip = m_state.statusLine() + QLatin1Char('\n') + m_state.limitLine();
    if (m_item->toolTip() != toolTip)
        m_item->setToolTip(toolTip);
    updateBlink();
}

void StatusItem::updateBlink()
{
    const BatteryInfo &b = m_state.battery();
    const bool blink = m_item && b.hasBattery && !b.pluggedIn && Prefs::blinkLow() &&
                       Prefs::blinkThreshold() >= b.percent;
    if (blink) {
        if (!m_blinkTimer) {
            m_blinkTimer = std::make_unique<QTimer>();
            m_blinkTimer->setInterval(blinkIntervalMs);
            connect(m_blinkTimer.get(), &QTimer::timeout, this, &StatusItem::blinkStep);
            m_blinkTimer->start();
        }
        return;
    }
    if (m_blinkTimer)
        stopBlinking();
}

void StatusItem::stopBlinking()
{
    m_blinkTimer.reset();
    m_blinkDim = false;
    if (m_fade)
        m_fade->stop();
    showOpacity(1.0);
}

void StatusItem::blinkStep()
{
    if (!m_item)
        return;
    m_blinkDim = !m_blinkDim;
    fadeTo(m_blinkDim ? dimOpacity : 1.0);
}

void StatusItem::fadeTo(qreal target)
{
    if (!m_fade) {
        m_fade = std::make_unique<QTimeLine>(fadeMs);
        m_fade->setUpdateInterval(fadeFrameMs);
    }
    m_fade->stop();
    m_fade->disconnect(this);
    const qreal from = m_opacity;
    connect(m_fade.get(), &QTimeLine::valueChanged, this,
            [this, from, target](qreal t) { showOpacity(from + (target - from) * t); });
    connect(m_fade.get(), &QTimeLine::finished, this, [this, target] { showOpacity(target); });
    m_fade->start();
}

void StatusItem::showOpacity(qreal opacity)
{
    m_opacity = opacity;
    if (m_item)
        m_item->setIcon(ButtonImage::icon(m_pictures, opacity));
}

void StatusItem::menuNeedsUpdate(QMenu &menu)
{
    m_state.refresh();
    refreshButton();
    // An XEmbed icon knows its place on screen and its menu is Qt's own; a
    // StatusNotifierItem's menu goes to the panel over D-Bus.
    const bool overDBus = m_item && !m_item->geometry().isValid() && m_options.statusNotifierHost &&
                          m_options.statusNotifierHost();
    StatusMenu::fill(menu, m_state,
                     {.pickLimit = [this](qint64 limit) { pickLimit(limit); },
                      .fullOnce = [this] { fullOnce(); },
                      .reEnable = [this] { reEnable(); },
                      .openSettings = [this] { openSettings(); },
                      .quit = [this] { quit(); }},
                     overDBus ? StatusMenu::Host::dbusMenu : StatusMenu::Host::qt);
}

void StatusItem::pickLimit(qint64 limit)
{
    m_state.setLimit(limit);
    refreshButton();
}

void StatusItem::fullOnce()
{
    m_state.chargeFullOnce();
    refreshButton();
}

void StatusItem::reEnable()
{
    m_state.reEnable();
    refreshButton();
}

void StatusItem::openSettings()
{
    if (m_window)
        m_window->showWindow();
}

void StatusItem::quit()
{
    Q_EMIT quitRequested();
}

bool StatusItem::eventFilter(QObject *watched, QEvent *event)
{
    // A new colour scheme may change the panel's text colour.
    if (event->type() == QEvent::ApplicationPaletteChange &&
        watched == QCoreApplication::instance()) {
        panelChanged();
    }
    return QObject::eventFilter(watched, event);
}
