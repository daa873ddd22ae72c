// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QVariantMap>

// The structures of the com.canonical.dbusmenu interface, as D-Bus types.

// (ia{sv}av): a row with its properties and, recursively, its children.
struct DBusMenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayout> children;
};

// (ia{sv}): a row's properties, in GetGroupProperties and ItemsPropertiesUpdated.
struct DBusMenuProperties {
    int id = 0;
    QVariantMap properties;
};

// (ias): the properties a row no longer has.
struct DBusMenuRemoved {
    int id = 0;
    QStringList names;
};

// (isvu): one event of EventGroup.
struct DBusMenuEvent {
    int id = 0;
    QString name;
    QDBusVariant data;
    uint timestamp = 0;
};

QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuLayout &item);
const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuLayout &item);
QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuProperties &item);
const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuProperties &item);
QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuRemoved &item);
const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuRemoved &item);
QDBusArgument &operator<<(QDBusArgument &arg, const DBusMenuEvent &event);
const QDBusArgument &operator>>(const QDBusArgument &arg, DBusMenuEvent &event);

Q_DECLARE_METATYPE(DBusMenuLayout)
Q_DECLARE_METATYPE(DBusMenuProperties)
Q_DECLARE_METATYPE(DBusMenuRemoved)
Q_DECLARE_METATYPE(DBusMenuEvent)

// Makes the types above known to Qt D-Bus; safe to call more than once.
void registerDBusMenuTypes();
