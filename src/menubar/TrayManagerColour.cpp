// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/TrayManagerColour.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace
{
struct FreeReply {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

quint32 internAtom(xcb_connection_t *c, const QByteArray &name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : 0;
}
} // namespace

TrayManagerColour::TrayManagerColour(QObject *parent) : QObject(parent) {}

TrayManagerColour::~TrayManagerColour()
{
    if (m_connection && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

QColor TrayManagerColour::foregroundFrom(const quint32 *values, int count)
{
    if (!values || count < 3)
        return {};
    for (int i = 0; i < 3; ++i)
        if (values[i] > 0xffff)
            return {};
    return QColor::fromRgba64(static_cast<quint16>(values[0]), static_cast<quint16>(values[1]),
                              static_cast<quint16>(values[2]));
}

void TrayManagerColour::start()
{
    if (m_connection)
        return;
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    // Qt's connection: the screen Qt uses is the first one it was given.
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    if (!screen) {
        m_connection = nullptr;
        return;
    }
    m_root = screen->root;
    m_selection = internAtom(m_connection, QByteArrayLiteral("_NET_SYSTEM_TRAY_S0"));
    m_coloursAtom = internAtom(m_connection, QByteArrayLiteral("_NET_SYSTEM_TRAY_COLORS"));
    m_managerAtom = internAtom(m_connection, QByteArrayLiteral("MANAGER"));
    // A new manager announces itself on the root window, which Qt already
    // listens to for its own tray icon.
    QCoreApplication::instance()->installNativeEventFilter(this);
    findManager();
}

void TrayManagerColour::findManager()
{
    const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        m_connection, xcb_get_selection_owner(m_connection, m_selection), nullptr));
    m_owner = owner ? owner->owner : 0;
    if (m_owner) {
        // Its colours change in place; its window goes when it quits.
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_owner, XCB_CW_EVENT_MASK, &mask);
    }
    readColours();
}

void TrayManagerColour::readColours()
{
    QColor colour;
    if (m_owner) {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_owner, m_coloursAtom, XCB_ATOM_CARDINAL, 0, 12),
            nullptr));
        if (reply && reply->format == 32)
            colour =
                foregroundFrom(static_cast<const quint32 *>(xcb_get_property_value(reply.get())),
                               xcb_get_property_value_length(reply.get()) / 4);
    }
    if (colour == m_foreground)
        return;
    m_foreground = colour;
    Q_EMIT changed();
}

bool TrayManagerColour::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != QByteArrayLiteral("xcb_generic_event_t") || !message)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_PROPERTY_NOTIFY: {
        const auto *e = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        if (m_owner && e->window == m_owner && e->atom == m_coloursAtom)
            readColours();
        break;
    }
    case XCB_DESTROY_NOTIFY:
        if (m_owner &&
            reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == m_owner) {
            m_owner = 0;
            readColours();
        }
        break;
    case XCB_CLIENT_MESSAGE: {
        const auto *e = reinterpret_cast<const xcb_client_message_event_t *>(event);
        if (e->window == m_root && e->type == m_managerAtom && e->format == 32 &&
            e->data.data32[1] == m_selection)
            findManager();
        break;
    }
    default:
        break;
    }
    // Qt's own tray icon needs the same events.
    return false;
}
