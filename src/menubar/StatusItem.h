// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/StatusItemView.h"
#include "menubar/Badge.h"
#include "menubar/GlyphCache.h"
#include "menubar/PanelColour.h"
#include "menubar/PortalColorScheme.h"

#include <QImage>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class AppState;
class QMenu;
class QSystemTrayIcon;
class QTimeLine;
class WindowView;

// The battery icon in the panel with its menu: redrawn from the state, blinking
// while the charge is low on battery, its menu rebuilt each time it opens.
// Between ticks it costs nothing: only the blink timer (while blinking) and the
// wait for a tray (for a short while after start) ever wake it.
class StatusItem : public QObject, public StatusItemView
{
    Q_OBJECT
public:
    struct Options {
        // Whether a tray can show the icon now; by default Qt's answer, asked
        // only once a StatusNotifierItem host is there (see below).
        std::function<bool()> trayAvailable = {};
        // Whether a StatusNotifierItem host is registered. Qt remembers its
        // first answer about such hosts for the whole run, so outside X11
        // (where no other tray exists) it is not asked before one is there.
        std::function<bool()> statusNotifierHost = {};
        // How long to wait for a tray that is not there yet, before the window
        // is shown so the agent stays reachable.
        int retryIntervalMs = 2000;
        int retryAttempts = 15;
        // Where the outlines of the icon's text are kept between runs (empty:
        // for this run only), and the font setup they were taken under.
        QString glyphCacheFile = {};
        QString fontSetup = {};
        // The desktop whose panel the icon's colour follows; by default the
        // running session's. The portal's answer is added as it comes.
        std::function<PanelColour::Session()> session = {};
    };

    // `window` may be null until the window exists (see setWindow).
    StatusItem(AppState &state, WindowView *window, QObject *parent = nullptr);
    StatusItem(AppState &state, WindowView *window, Options options, QObject *parent = nullptr);
    ~StatusItem() override;

    void setWindow(WindowView *window) { m_window = window; }

    void updateStatusItem() override;
    void refreshButton() override;
    void updateBlink();
    // Called right before the menu opens.
    void menuNeedsUpdate(QMenu &menu);

    void pickLimit(qint64 limit);
    void fullOnce();
    void reEnable();
    void openSettings();
    void quit();

    // What the panel shows now.
    QSystemTrayIcon *item() const { return m_item.get(); }
    QMenu *menu() const { return m_menu.get(); }
    bool isWaitingForTray() const { return m_trayWait.isActive(); }
    bool isBlinking() const { return m_blinkTimer != nullptr; }
    const QTimer *blinkTimer() const { return m_blinkTimer.get(); }
    bool blinkDim() const { return m_blinkDim; }
    qreal opacity() const { return m_opacity; }
    // The button's picture for a square slot of `pixels` device pixels,
    // tinted, at full opacity.
    QImage buttonImage(int pixels) const;
    QColor tint() const;

Q_SIGNALS:
    // The quit row was chosen.
    void quitRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createItem();
    void removeItem();
    void waitForTray();
    void blinkStep();
    void fadeTo(qreal opacity);
    void stopBlinking();
    void showOpacity(qreal opacity);
    void panelChanged();
    void readPanel();
    // Opens the menu at the icon, as panels open their own buttons' menus.
    void popUpAtIcon();

    AppState &m_state;
    WindowView *m_window;
    Options m_options;
    GlyphCache m_glyphs;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_item;
    std::unique_ptr<QTimer> m_blinkTimer;
    bool m_blinkDim = false;
    qreal m_opacity = 1.0;
    std::unique_ptr<QTimeLine> m_fade;
    QTimer m_trayWait;
    int m_trayAttempts = 0;
    QList<QImage> m_pictures; // one per ButtonImage::slotPixels()
    PortalColorScheme m_portal;
    PanelColour::Scheme m_scheme = PanelColour::Scheme::unknown;
    bool m_schemeRead = false;
    // The menu was filled before it was put up at the icon.
    bool m_menuFilled = false;
    // What the button shows was drawn from; an equal picture is not drawn and
    // handed to the tray again (each hand-over is a round of panel traffic).
    struct Drawn {
        qint64 percent;
        qint64 style;
        Badge badge;
        qint64 markerLimit;
        QRgb tint;
        bool operator==(const Drawn &) const = default;
    };
    std::optional<Drawn> m_drawn;
};
