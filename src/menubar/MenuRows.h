// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/MenuRow.h"

#include <QList>
#include <QMap>
#include <QObject>

class AppState;

// The rows of the status menu, all of them at every moment: rows the state
// does not call for are kept but not visible, so a host that lays the menu out
// before asking for an update still finds it whole. A change of the state
// changes rows in place; only a new list of offered limits adds or removes
// rows. Ids are never reused while the agent runs.
class MenuRows : public QObject
{
    Q_OBJECT
public:
    explicit MenuRows(QObject *parent = nullptr);

    // Brings every row to the state as it is now and announces what changed.
    void update(const AppState &state);

    const QList<MenuRow> &rows() const { return m_rows; }
    const MenuRow *row(int id) const;
    // Counts the changes that added or removed rows, from 1.
    uint revision() const { return m_revision; }

Q_SIGNALS:
    // These rows changed some of their properties.
    void rowsChanged(const QList<int> &ids);
    // Rows were added or removed; the revision has moved on.
    void layoutChanged();

private:
    int choiceId(qint64 value);

    QList<MenuRow> m_rows;
    QMap<qint64, int> m_choiceIds; // limit → id, kept for the agent's life
    int m_nextId = 1;
    uint m_revision = 1;
};
