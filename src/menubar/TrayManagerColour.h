// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QColor>
#include <QObject>

struct xcb_connection_t;

// The text colour an X11 tray manager asks its icons to use
// (_NET_SYSTEM_TRAY_COLORS on the owner of _NET_SYSTEM_TRAY_S<n>), followed
// while it changes and when another tray takes over. GTK panels set it from
// their own theme, so it tells how a panel looks that says so nowhere else.
class TrayManagerColour : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit TrayManagerColour(QObject *parent = nullptr);
    ~TrayManagerColour() override;

    // Looks for the tray manager and reads its colours; on X11 only, once.
    void start();
    // The foreground colour; invalid while no tray manager sets one.
    QColor foreground() const { return m_foreground; }

    // The foreground of the property's values: red, green and blue of 0…65535
    // first (then error, warning and success, not used here). Invalid with
    // fewer than three values or one out of range.
    static QColor foregroundFrom(const quint32 *values, int count);

Q_SIGNALS:
    void changed();

protected:
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void findManager();
    void readColours();

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_selection = 0; // _NET_SYSTEM_TRAY_S<screen>
    quint32 m_coloursAtom = 0;
    quint32 m_managerAtom = 0;
    quint32 m_owner = 0; // the manager's window, 0 while there is none
    QColor m_foreground;
};
