// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/StatusMenu.h"

#include "menubar/MenuRows.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace
{
// Information rows do nothing when chosen: they stay disabled but are drawn in
// the text colour, not greyed out.
void readableDisabledRows(QMenu &menu)
{
    QPalette palette = menu.palette();
    for (const QPalette::ColorRole role :
         {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
        QColor text = palette.color(QPalette::Active, role);
        palette.setColor(QPalette::Disabled, role, text);
    }
    // Without the etched shadow some styles draw under disabled text.
    palette.setColor(QPalette::Disabled, QPalette::Light, Qt::transparent);
    menu.setPalette(palette);
}
} // namespace

StatusMenu::StatusMenu(const MenuRows &rows, std::function<void(int)> choose, QObject *parent)
    : QObject(parent), m_rows(rows), m_choose(std::move(choose)), m_menu(std::make_unique<QMenu>())
{
    readableDisabledRows(*m_menu);
    rebuild();
    connect(&rows, &MenuRows::layoutChanged, this, &StatusMenu::rebuild);
    connect(&rows, &MenuRows::rowsChanged, this, [this](const QList<int> &ids) {
        for (const int id : ids)
            if (const MenuRow *row = m_rows.row(id); row && m_actions.contains(id))
                apply(*row, *m_actions.value(id));
    });
}

StatusMenu::~StatusMenu() = default;

void StatusMenu::rebuild()
{
    m_menu->clear();
    m_actions.clear();
    delete m_choices;
    // One choice: radio marks.
    m_choices = new QActionGroup(m_menu.get());
    m_choices->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const MenuRow &row : m_rows.rows()) {
        QAction *action = row.kind == MenuRow::Kind::separator ? m_menu->addSeparator()
                                                               : m_menu->addAction(QString());
        if (row.kind == MenuRow::Kind::choice) {
            action->setCheckable(true);
            action->setActionGroup(m_choices);
        }
        if (row.kind == MenuRow::Kind::choice || row.kind == MenuRow::Kind::command) {
            connect(action, &QAction::triggered, this, [this, id = row.id] {
                if (m_choose)
                    m_choose(id);
                // Qt moved the radio mark on its own; a pick that failed
                // leaves the rows as they were, so the marks follow the rows.
                for (const MenuRow &r : m_rows.rows())
                    if (QAction *a = m_actions.value(r.id); a && r.kind == MenuRow::Kind::choice)
                        a->setChecked(r.checked);
            });
        }
        apply(row, *action);
        m_actions.insert(row.id, action);
    }
}

void StatusMenu::apply(const MenuRow &row, QAction &action)
{
    action.setVisible(row.visible);
    if (row.kind == MenuRow::Kind::separator)
        return;
    action.setText(row.label);
    action.setEnabled(row.kind != MenuRow::Kind::info);
    action.setShortcut(row.shortcut);
    if (row.kind == MenuRow::Kind::choice) {
        action.setData(row.value);
        action.setChecked(row.checked);
    }
    // Bold at the menu's own size: a title, not a headline above the rest.
    QFont font = m_menu->font();
    font.setBold(row.bold);
    action.setFont(font);
}
