// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/StatusMenu.h"

#include "app/AppState.h"
#include "app/L.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace
{
// Information rows do nothing when chosen. In Qt's own menu they stay disabled
// but are drawn in the text colour, not greyed out; a host drawing the menu
// from D-Bus greys disabled rows in its own way, so there they are enabled.
QAction *addInfo(QMenu &menu, const QString &title, bool enabled)
{
    QAction *action = menu.addAction(title);
    action->setEnabled(enabled);
    return action;
}

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

QAction *addCommand(QMenu &menu, const QString &title, const std::function<void()> &run)
{
    QAction *action = menu.addAction(title);
    QObject::connect(action, &QAction::triggered, &menu, [run] {
        if (run)
            run();
    });
    return action;
}
} // namespace

void StatusMenu::fill(QMenu &menu, const AppState &state, const Actions &actions, Host host)
{
    menu.clear();
    // The previous opening's limit group goes with its rows.
    qDeleteAll(menu.findChildren<QActionGroup *>(QString(), Qt::FindDirectChildrenOnly));
    readableDisabledRows(menu);
    const bool infoEnabled = host == Host::dbusMenu;
    const BatteryInfo &b = state.battery();

    // Bold at the menu's own size: a title, not a headline above the rest.
    QAction *status = addInfo(menu, state.statusLine(), infoEnabled);
    QFont bold = menu.font();
    bold.setBold(true);
    status->setFont(bold);
    addInfo(menu, state.limitLine(), infoEnabled);
    if (const auto schedule = state.scheduleLine())
        addInfo(menu, *schedule, infoEnabled);
    menu.addSeparator();

    addInfo(menu, L("Laden bis"), infoEnabled);
    // One choice: radio marks in Qt's own menu and over D-Bus alike.
    auto *group = new QActionGroup(&menu);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (const qint64 value : state.options()) {
        QAction *option = menu.addAction(QString::number(value) + QStringLiteral(" %"));
        option->setData(value);
        option->setCheckable(true);
        option->setActionGroup(group);
        option->setChecked(value == state.limit());
        QObject::connect(option, &QAction::triggered, &menu, [pick = actions.pickLimit, value] {
            if (pick)
                pick(value);
        });
    }
    if (state.limit() <= 99) {
        if (state.engaged())
            addCommand(menu, L("Einmal voll laden (bis zum Abstecken)"), actions.fullOnce);
        else
            addCommand(menu, L("Limit sofort wieder einschalten"), actions.reEnable);
    }
    menu.addSeparator();

    addInfo(menu, L("Zustand %d %%  ·  %d Zyklen", b.healthPercent, b.cycles), infoEnabled);
    if (b.pluggedIn && b.adapterWatts > 0)
        addInfo(menu, L("Netzteil %d W", b.adapterWatts), infoEnabled);
    if (const auto &error = state.error())
        addInfo(menu, QStringLiteral(u"\u26A0\uFE0E ") + *error, infoEnabled);
    menu.addSeparator();

    addCommand(menu, L("Einstellungen …"), actions.openSettings)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addCommand(menu, L("Voltquill beenden"), actions.quit)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}
