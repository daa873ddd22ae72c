// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <functional>
#include <memory>

class MenuRows;
class QAction;
class QActionGroup;
class QMenu;
struct MenuRow;

// Qt's own menu of the status rows, for an XEmbed tray and for a host that
// asks the item to show its menu itself. Built once; each change of a row
// changes its action in place.
class StatusMenu : public QObject
{
    Q_OBJECT
public:
    // `choose` runs with the id of the row picked.
    StatusMenu(const MenuRows &rows, std::function<void(int)> choose, QObject *parent = nullptr);
    ~StatusMenu() override;

    QMenu *menu() const { return m_menu.get(); }

private:
    void rebuild();
    void apply(const MenuRow &row, QAction &action);

    const MenuRows &m_rows;
    std::function<void(int)> m_choose;
    std::unique_ptr<QMenu> m_menu;
    QActionGroup *m_choices = nullptr;
    QHash<int, QAction *> m_actions;
};
