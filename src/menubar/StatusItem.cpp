// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/StatusItem.h"

#include "app/AppState.h"
#include "app/WindowView.h"
#include "menubar/ButtonImage.h"
#include "menubar/MenuIcon.h"
#include "menubar/MenuPlacement.h"
#include "menubar/SlotPictures.h"
#include "menubar/StatusMenu.h"
#include "menubar/StatusNotifierItem.h"
#include "menubar/XEmbedTray.h"
#include "settings/Prefs.h"

#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

namespace
{
Badge badgeFor(const BatteryInfo &b)
{
    if (b.isCharging)
        return Badge::charging;
    if (b.pluggedIn)
        return Badge::plugged;
    return Badge::none;
}

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

qreal largestDevicePixelRatio()
{
    qreal ratio = 1.0;
    for (const QScreen *screen : QGuiApplication::screens())
        ratio = std::max(ratio, screen->devicePixelRatio());
    return ratio;
}

std::function<bool()> defaultTrayAvailable(const std::function<bool()> &host)
{
    return [host] {
        if (host && host())
            return true;
        // Without a StatusNotifierItem host only an X11 tray can take the icon.
        return onX11() && QSystemTrayIcon::isSystemTrayAvailable();
    };
}

const QString labelGuide = QStringLiteral("100 %");
} // namespace

StatusItem::StatusItem(AppState &state, WindowView *window, QObject *parent)
    : StatusItem(state, window, Options{}, parent)
{
}

StatusItem::StatusItem(AppState &state, WindowView *window, Options options, QObject *parent)
    : QObject(parent), m_state(state), m_window(window), m_options(std::move(options)),
      m_glyphs(m_options.glyphCacheFile, m_options.fontSetup),
      m_trayWait(m_options.trayAvailable ? m_options.trayAvailable
                                         : defaultTrayAvailable(m_options.statusNotifierHost),
                 m_options.retryIntervalMs, m_options.retryAttempts),
      m_panel(m_options.session)
{
    if (!m_options.trayAvailable)
        m_options.trayAvailable = defaultTrayAvailable(m_options.statusNotifierHost);
    if (!m_options.session)
        m_options.session = [] { return PanelColour::Session::current(); };
    connect(&m_panel, &PanelTint::changed, this, [this] {
        m_drawn.reset();
        refreshButton();
    });
    connect(&m_blink, &Blinker::opacityChanged, this, &StatusItem::showPictures);
    connect(&m_trayWait, &TrayWait::arrived, this, [this] {
        if (Prefs::showIcon())
            createItem();
    });
    connect(&m_trayWait, &TrayWait::gaveUp, this, [this] {
        // No tray came: without the window the agent could not be reached at all.
        if (m_window && Prefs::showIcon())
            m_window->showWindow();
    });
}

StatusItem::~StatusItem()
{
    // The tray icon refers to the menu: it goes first.
    removeItem();
}

QSystemTrayIcon *StatusItem::item() const
{
    return m_xembed ? &m_xembed->icon() : nullptr;
}

QMenu *StatusItem::menu() const
{
    return m_menu ? m_menu->menu() : nullptr;
}

void StatusItem::updateStatusItem()
{
    if (Prefs::showIcon()) {
        if (m_tray)
            refreshButton();
        else if (m_options.trayAvailable())
            createItem();
        else
            m_trayWait.start();
        return;
    }
    m_trayWait.stop();
    if (m_tray)
        removeItem();
}

void StatusItem::createItem()
{
    // Every row is there before any host asks for the menu.
    m_rows.update(m_state);
    m_menu = std::make_unique<StatusMenu>(m_rows, [this](int id) { choose(id); });
    if (m_options.statusNotifierHost && m_options.statusNotifierHost()) {
        const PanelColour::Session session = m_options.session();
        auto sni = std::make_unique<StatusNotifierItem>(
            m_rows,
            DBusMenu::Handlers{.aboutToShow = [this] { menuNeedsUpdate(); },
                               .choose = [this](int id) { choose(id); }},
            StatusNotifierItem::Options{
                .popUpAt =
                    onX11() ? std::function<void(QPoint)>([this](QPoint point) { popUpAt(point); })
                            : std::function<void(QPoint)>(),
                .showsLabel = StatusNotifierItem::desktopShowsLabel(session.currentDesktop),
                .refuseActivate =
                    StatusNotifierItem::desktopOpensMenuOnRefusal(session.currentDesktop),
                .slotPixels = ButtonImage::slotPixels(largestDevicePixelRatio())});
        if (sni->publish(++m_published)) {
            m_sni = sni.get();
            m_tray = std::move(sni);
        }
    }
    if (!m_tray) {
        auto xembed = std::make_unique<XEmbedTray>(*m_menu->menu(), [this] { menuNeedsUpdate(); });
        m_xembed = xembed.get();
        m_tray = std::move(xembed);
    }
    m_panel.start();
    // A new button starts at full opacity; a running blink picks it up at its next step.
    m_blink.reset();
    m_drawn.reset();
    refreshButton();
    if (m_xembed)
        m_xembed->icon().show();
}

void StatusItem::removeItem()
{
    m_xembed = nullptr;
    m_sni = nullptr;
    m_tray.reset();
    m_menu.reset();
}

PanelColour::Tint StatusItem::tint() const
{
    return m_panel.tint(Prefs::iconColour(), m_xembed != nullptr);
}

QImage StatusItem::buttonImage(int pixels) const
{
    return m_pictures ? m_pictures->at(pixels) : QImage();
}

void StatusItem::refreshButton()
{
    if (!m_tray) {
        // A panel that came up after the wait: the next tick puts the icon there.
        if (Prefs::showIcon() && !m_trayWait.isActive() && m_options.trayAvailable())
            createItem();
        return;
    }
    const BatteryInfo &b = m_state.battery();
    const qint64 style = Prefs::iconStyle();
    // Style 2 puts the number beside the icon; where the panel shows no text
    // there, it stays inside, so it never vanishes.
    const bool showNumber = style == 0 || (style == 2 && !m_tray->showsLabel());
    const Drawn drawn{b.percent,   showNumber,
                      badgeFor(b), m_state.engaged() ? m_state.limit() : 100,
                      tint(),      m_tray->slotPixels()};
    if (drawn != m_drawn) {
        const MenuIcon icon =
            MenuIcon::image(b.percent, showNumber, drawn.badge, drawn.markerLimit, &m_glyphs);
        m_pictures = std::make_shared<const SlotPictures>(icon, drawn.tint);
        m_drawn = drawn;
        showPictures();
    }
    if (style == 2)
        m_tray->setLabel(QString::number(b.percent) + QStringLiteral(" %"), labelGuide);
    else
        m_tray->setLabel({}, {});
    m_tray->setToolTip(m_state.statusLine(), m_state.limitLine());
    m_rows.update(m_state);
    updateBlink();
}

void StatusItem::showPictures()
{
    if (m_tray && m_pictures)
        m_tray->setPictures(m_pictures, m_blink.opacity());
}

void StatusItem::updateBlink()
{
    const BatteryInfo &b = m_state.battery();
    m_blink.setBlinking(m_tray && b.hasBattery && !b.pluggedIn && Prefs::blinkLow() &&
                        Prefs::blinkThreshold() >= b.percent);
}

void StatusItem::menuNeedsUpdate()
{
    m_state.refresh();
    refreshButton();
}

void StatusItem::popUpAt(QPoint point)
{
    QMenu *qtMenu = menu();
    if (!qtMenu || qtMenu->isVisible())
        return;
    menuNeedsUpdate();
    qtMenu->popup(MenuPlacement::at(QRect(point, QSize(1, 1)), qtMenu->sizeHint()));
}

void StatusItem::choose(int id)
{
    const MenuRow *row = m_rows.row(id);
    if (!row)
        return;
    switch (row->command) {
    case MenuRow::Command::pickLimit:
        pickLimit(row->value);
        break;
    case MenuRow::Command::fullOnce:
        fullOnce();
        break;
    case MenuRow::Command::reEnable:
        reEnable();
        break;
    case MenuRow::Command::openSettings:
        openSettings();
        break;
    case MenuRow::Command::quit:
        quit();
        break;
    case MenuRow::Command::none:
        break;
    }
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
