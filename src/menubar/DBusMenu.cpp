// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/DBusMenu.h"

#include "menubar/MenuRows.h"

#include <QTimer>

namespace
{
const QString clickedEvent = QStringLiteral("clicked");

QVariantMap rootProperties()
{
    return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
}

// dbusmenu reads one underscore as the mark of an access key.
QString escaped(QString label)
{
    return label.replace(QLatin1Char('_'), QStringLiteral("__"));
}

QStringList keyNames(const QKeySequence &shortcut)
{
    QStringList keys;
    if (shortcut.isEmpty())
        return keys;
    const QKeyCombination combination = shortcut[0];
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    if (mods & Qt::ControlModifier)
        keys << QStringLiteral("Control");
    if (mods & Qt::AltModifier)
        keys << QStringLiteral("Alt");
    if (mods & Qt::ShiftModifier)
        keys << QStringLiteral("Shift");
    if (mods & Qt::MetaModifier)
        keys << QStringLiteral("Super");
    keys << QKeySequence(combination.key()).toString(QKeySequence::PortableText).toLower();
    return keys;
}
} // namespace

DBusMenu::DBusMenu(const MenuRows &rows, Handlers handlers, QObject *parent)
    : QObject(parent), m_rows(rows), m_handlers(std::move(handlers))
{
    registerDBusMenuTypes();
    connect(&rows, &MenuRows::rowsChanged, this, [this](const QList<int> &ids) {
        QList<DBusMenuProperties> updated;
        for (const int id : ids)
            if (const MenuRow *row = m_rows.row(id))
                updated << DBusMenuProperties{id, properties(*row)};
        Q_EMIT ItemsPropertiesUpdated(updated, {});
    });
    connect(&rows, &MenuRows::layoutChanged, this,
            [this] { Q_EMIT LayoutUpdated(m_rows.revision(), 0); });
}

bool DBusMenu::publish(QDBusConnection bus, const QString &path)
{
    withdraw();
    if (!bus.registerObject(path, this, QDBusConnection::ExportScriptableContents))
        return false;
    m_bus = bus;
    m_path = path;
    return true;
}

void DBusMenu::withdraw()
{
    if (!m_path.isEmpty())
        m_bus.unregisterObject(m_path);
    m_path.clear();
}

QVariantMap DBusMenu::properties(const MenuRow &row)
{
    QVariantMap p{{QStringLiteral("visible"), row.visible}};
    if (row.kind == MenuRow::Kind::separator) {
        p.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return p;
    }
    p.insert(QStringLiteral("label"), escaped(row.label));
    // Panels grey out disabled rows; an information row is meant to be read.
    p.insert(QStringLiteral("enabled"), true);
    if (row.kind == MenuRow::Kind::choice) {
        p.insert(QStringLiteral("toggle-type"), QStringLiteral("radio"));
        p.insert(QStringLiteral("toggle-state"), row.checked ? 1 : 0);
    }
    if (const QStringList keys = keyNames(row.shortcut); !keys.isEmpty()) {
        QDBusArgument shortcut;
        shortcut.beginArray(QMetaType::fromType<QStringList>());
        shortcut << keys;
        shortcut.endArray();
        p.insert(QStringLiteral("shortcut"), QVariant::fromValue(shortcut));
    }
    return p;
}

bool DBusMenu::known(int id) const
{
    return id == 0 || m_rows.row(id);
}

QVariantMap DBusMenu::propertiesOf(int id, const QStringList &names) const
{
    QVariantMap all = id == 0 ? rootProperties() : properties(*m_rows.row(id));
    if (names.isEmpty())
        return all;
    QVariantMap some;
    for (const QString &name : names)
        if (all.contains(name))
            some.insert(name, all.value(name));
    return some;
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                         DBusMenuLayout &layout)
{
    // The menu is flat: the root holds every row, the rows have no children.
    layout = {};
    if (known(parentId)) {
        layout.id = parentId;
        layout.properties = propertiesOf(parentId, propertyNames);
        if (parentId == 0 && recursionDepth != 0) {
            for (const MenuRow &row : m_rows.rows())
                layout.children << DBusMenuLayout{row.id, propertiesOf(row.id, propertyNames), {}};
        }
    }
    return m_rows.revision();
}

QList<DBusMenuProperties> DBusMenu::GetGroupProperties(const QList<int> &ids,
                                                       const QStringList &propertyNames)
{
    QList<DBusMenuProperties> out;
    if (ids.isEmpty()) {
        for (const MenuRow &row : m_rows.rows())
            out << DBusMenuProperties{row.id, propertiesOf(row.id, propertyNames)};
        return out;
    }
    for (const int id : ids)
        if (known(id))
            out << DBusMenuProperties{id, propertiesOf(id, propertyNames)};
    return out;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString &name)
{
    return QDBusVariant(known(id) ? propertiesOf(id, {}).value(name) : QVariant());
}

void DBusMenu::clicked(int id)
{
    // Answered first: a command may wait for the charge service, and the
    // panel must not wait with it.
    QTimer::singleShot(0, this, [this, id] {
        if (m_handlers.choose)
            m_handlers.choose(id);
    });
}

void DBusMenu::Event(int id, const QString &eventId, const QDBusVariant &, uint)
{
    if (eventId == clickedEvent && m_rows.row(id))
        clicked(id);
}

QList<int> DBusMenu::EventGroup(const QList<DBusMenuEvent> &events)
{
    QList<int> unknown;
    for (const DBusMenuEvent &e : events) {
        if (!m_rows.row(e.id))
            unknown << e.id;
        else if (e.name == clickedEvent)
            clicked(e.id);
    }
    return unknown;
}

bool DBusMenu::AboutToShow(int id)
{
    if (id == 0 && m_handlers.aboutToShow)
        m_handlers.aboutToShow();
    // Any change was announced with ItemsPropertiesUpdated already.
    return false;
}

QList<int> DBusMenu::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors)
{
    for (const int id : ids) {
        if (!known(id))
            idErrors << id;
        else if (id == 0 && m_handlers.aboutToShow)
            m_handlers.aboutToShow();
    }
    return {};
}
