// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/DBusMenuTypes.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <functional>

class MenuRows;
struct MenuRow;

// The status rows as a panel reads them: com.canonical.dbusmenu at one object
// path. The layout holds every row from the start; a change of rows is
// announced with ItemsPropertiesUpdated, and only added or removed rows move
// the revision on with LayoutUpdated.
class DBusMenu : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version SCRIPTABLE true)
    Q_PROPERTY(QString TextDirection READ textDirection SCRIPTABLE true)
    Q_PROPERTY(QString Status READ status SCRIPTABLE true)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath SCRIPTABLE true)
public:
    struct Handlers {
        // The panel is about to open the menu: bring the rows up to date.
        std::function<void()> aboutToShow;
        // A row was clicked.
        std::function<void(int)> choose;
    };

    DBusMenu(const MenuRows &rows, Handlers handlers, QObject *parent = nullptr);

    // Puts the menu on `bus` at `path`; false when the path is taken.
    bool publish(QDBusConnection bus, const QString &path);
    void withdraw();

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    // The properties a panel gets for a row.
    static QVariantMap properties(const MenuRow &row);

public Q_SLOTS:
    Q_SCRIPTABLE uint GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                DBusMenuLayout &layout);
    Q_SCRIPTABLE QList<DBusMenuProperties> GetGroupProperties(const QList<int> &ids,
                                                              const QStringList &propertyNames);
    Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString &name);
    Q_SCRIPTABLE void Event(int id, const QString &eventId, const QDBusVariant &data,
                            uint timestamp);
    Q_SCRIPTABLE QList<int> EventGroup(const QList<DBusMenuEvent> &events);
    Q_SCRIPTABLE bool AboutToShow(int id);
    Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors);

Q_SIGNALS:
    Q_SCRIPTABLE void ItemsPropertiesUpdated(const QList<DBusMenuProperties> &updatedProps,
                                             const QList<DBusMenuRemoved> &removedProps);
    Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);
    Q_SCRIPTABLE void ItemActivationRequested(int id, uint timestamp);

private:
    QVariantMap propertiesOf(int id, const QStringList &names) const;
    bool known(int id) const;
    void clicked(int id);

    const MenuRows &m_rows;
    Handlers m_handlers;
    QDBusConnection m_bus{QString()};
    QString m_path;
};
