// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QTest>

// The tray item as a panel reads it over the session bus: the watcher's list,
// the item's properties and its dbusmenu. Calls answered by our own process
// keep the event loop running while they wait.
class PanelReader
{
public:
    struct MenuNode {
        int id = 0;
        QVariantMap properties;
        QList<MenuNode> children;

        QString label() const { return properties.value(QStringLiteral("label")).toString(); }
        bool visible() const { return properties.value(QStringLiteral("visible"), true).toBool(); }
        bool enabled() const { return properties.value(QStringLiteral("enabled"), true).toBool(); }
        bool checked() const
        {
            return properties.value(QStringLiteral("toggle-state")).toInt() == 1;
        }
        // The labels of the visible rows; separators as "---".
        QStringList shown() const
        {
            QStringList out;
            for (const MenuNode &c : children)
                if (c.visible())
                    out << (c.properties.value(QStringLiteral("type")) == QLatin1String("separator")
                                ? QStringLiteral("---")
                                : c.label());
            return out;
        }
        QList<int> ids() const
        {
            QList<int> out;
            for (const MenuNode &c : children)
                out << c.id;
            return out;
        }
        const MenuNode *row(const QString &label) const
        {
            for (const MenuNode &c : children)
                if (c.label() == label)
                    return &c;
            return nullptr;
        }
    };

    static QDBusMessage callAndWait(const QDBusMessage &message)
    {
        QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(message, 5000);
        if (!QTest::qWaitFor([&] { return call.isFinished(); }, 6000))
            return {};
        return call.reply();
    }

    // The first item the watcher lists, as "service" (path /StatusNotifierItem).
    static QString itemService()
    {
        const QVariant items = property(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                        QStringLiteral("/StatusNotifierWatcher"),
                                        QStringLiteral("org.kde.StatusNotifierWatcher"),
                                        QStringLiteral("RegisteredStatusNotifierItems"));
        const QStringList list = items.toStringList();
        if (list.isEmpty())
            return {};
        // Watchers list "service" or "service/path".
        return list.constFirst().section(QLatin1Char('/'), 0, 0);
    }

    static QVariant property(const QString &service, const QString &path, const QString &iface,
                             const QString &name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(
            service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << iface << name;
        const QDBusMessage reply = callAndWait(get);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().constFirst().value<QDBusVariant>().variant();
    }

    static QVariant itemProperty(const QString &service, const QString &name)
    {
        return property(service, QStringLiteral("/StatusNotifierItem"),
                        QStringLiteral("org.kde.StatusNotifierItem"), name);
    }

    // The whole layout; with `aboutToShow` first as a panel that asks does.
    static MenuNode layout(const QString &service, bool aboutToShow = true)
    {
        if (aboutToShow) {
            QDBusMessage call = menuCall(service, QStringLiteral("AboutToShow"));
            call << 0;
            callAndWait(call);
        }
        QDBusMessage getLayout = menuCall(service, QStringLiteral("GetLayout"));
        getLayout << 0 << -1 << QStringList();
        const QDBusMessage reply = callAndWait(getLayout);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
            return {};
        return readNode(reply.arguments().at(1).value<QDBusArgument>());
    }

    static bool click(const QString &service, int id)
    {
        QDBusMessage event = menuCall(service, QStringLiteral("Event"));
        event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
        return callAndWait(event).type() == QDBusMessage::ReplyMessage;
    }

private:
    static QDBusMessage menuCall(const QString &service, const QString &method)
    {
        return QDBusMessage::createMethodCall(service, QStringLiteral("/MenuBar"),
                                              QStringLiteral("com.canonical.dbusmenu"), method);
    }

    static MenuNode readNode(const QDBusArgument &arg)
    {
        MenuNode node;
        arg.beginStructure();
        arg >> node.id >> node.properties;
        arg.beginArray();
        while (!arg.atEnd()) {
            QDBusVariant child;
            arg >> child;
            node.children << readNode(child.variant().value<QDBusArgument>());
        }
        arg.endArray();
        arg.endStructure();
        return node;
    }
};
