// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/StatusItemView.h"
#include "menubar/Badge.h"
#include "menubar/Blinker.h"
#include "menubar/GlyphCache.h"
#include "menubar/MenuRows.h"
#include "menubar/PanelColour.h"
#include "menubar/PanelTint.h"
#include "menubar/TrayWait.h"

#include <QImage>
#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class AppState;
class QMenu;
class QSystemTrayIcon;
class SlotPictures;
class StatusMenu;
class StatusNotifierItem;
class TrayIcon;
class WindowView;
class XEmbedTray;

// The battery icon in the panel with its menu: redrawn from the state,
// blinking while the charge is low on battery. Where a panel takes
// StatusNotifierItems the icon is one of ours on the session bus; otherwise
// Qt's icon in an XEmbed tray. The menu's rows are kept whole and changed in
// place. Between ticks it costs nothing: only the blinking (while it blinks)
// and the wait for a tray (for a short while after start) ever wake it.
class StatusItem : public QObject, public StatusItemView
{
    Q_OBJECT
public:
    struct Options {
        // Whether a tray can show the icon now; by default a StatusNotifierItem
        // host, or on X11 Qt's answer.
        std::function<bool()> trayAvailable = {};
        // Whether a StatusNotifierItem host is registered: then the icon goes
        // to D-Bus as our own item.
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
    // Called right before the menu opens: the state and the rows brought up to date.
    void menuNeedsUpdate();

    void pickLimit(qint64 limit);
    void fullOnce();
    void reEnable();
    void openSettings();
    void quit();
    // Does what the row with `id` stands for.
    void choose(int id);

    // What the panel shows now.
    bool hasItem() const { return m_tray != nullptr; }
    TrayIcon *tray() const { return m_tray.get(); }
    // Qt's tray icon, on the XEmbed path only.
    QSystemTrayIcon *item() const;
    StatusNotifierItem *statusNotifierItem() const { return m_sni; }
    QMenu *menu() const;
    const MenuRows &rows() const { return m_rows; }
    bool isWaitingForTray() const { return m_trayWait.isActive(); }
    bool isBlinking() const { return m_blink.isBlinking(); }
    const QTimer *blinkTimer() const { return m_blink.timer(); }
    bool blinkDim() const { return m_blink.dim(); }
    qreal opacity() const { return m_blink.opacity(); }
    // The button's picture for a square slot of `pixels` device pixels,
    // tinted, at full opacity (drawn now if no host asked for that size);
    // null before the icon is first drawn.
    QImage buttonImage(int pixels) const;
    PanelColour::Tint tint() const;
    // The icon's pictures as last drawn; null before the first drawing.
    std::shared_ptr<const SlotPictures> pictures() const { return m_pictures; }

Q_SIGNALS:
    // The quit row was chosen.
    void quitRequested();

private:
    void createItem();
    void removeItem();
    void showPictures();
    void popUpAt(QPoint point);

    AppState &m_state;
    WindowView *m_window;
    Options m_options;
    GlyphCache m_glyphs;
    MenuRows m_rows;
    std::unique_ptr<StatusMenu> m_menu;
    std::unique_ptr<TrayIcon> m_tray;
    XEmbedTray *m_xembed = nullptr;      // m_tray, on the XEmbed path
    StatusNotifierItem *m_sni = nullptr; // m_tray, on D-Bus
    int m_published = 0;                 // items put on the bus so far
    Blinker m_blink;
    TrayWait m_trayWait;
    PanelTint m_panel;
    std::shared_ptr<const SlotPictures> m_pictures;
    // What the button shows was drawn from; an equal picture is not drawn and
    // handed to the tray again (each hand-over is a round of panel traffic).
    struct Drawn {
        qint64 percent;
        bool showNumber;
        Badge badge;
        qint64 markerLimit;
        PanelColour::Tint tint;
        QList<int> sides;
        bool operator==(const Drawn &) const = default;
    };
    std::optional<Drawn> m_drawn;
};
