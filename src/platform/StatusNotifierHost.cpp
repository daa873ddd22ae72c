// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StatusNotifierHost.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

bool StatusNotifierHost::isRegistered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusMessage call = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(call, QDBus::Block, 500);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}
