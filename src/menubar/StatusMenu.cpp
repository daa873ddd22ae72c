#include "menubar/StatusMenu.h"

#include "app/AppState.h"
#include "app/L.h"

#include <QAction>
#include <QMenu>

namespace
{
QAction *addInfo(QMenu &menu, const QString &title)
{
    QAction *action = menu.addAction(title);
    action->setEnabled(false);
    return action;
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

void StatusMenu::fill(QMenu &menu, const AppState &state, const Actions &actions)
{
    menu.clear();
    const BatteryInfo &b = state.battery();

    QAction *status = addInfo(menu, state.statusLine());
    QFont bold = status->font();
    bold.setBold(true);
    bold.setPointSizeF(13.0);
    status->setFont(bold);
    addInfo(menu, state.limitLine());
    if (const auto schedule = state.scheduleLine())
        addInfo(menu, *schedule);
    menu.addSeparator();

    addInfo(menu, L("Laden bis"));
    for (const qint64 value : state.options()) {
        QAction *option = menu.addAction(QString::number(value) + QStringLiteral(" %"));
        option->setData(value);
        option->setCheckable(true);
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

    addInfo(menu, L("Zustand %d %%  ·  %d Zyklen", b.healthPercent, b.cycles));
    if (b.pluggedIn && b.adapterWatts > 0)
        addInfo(menu, L("Netzteil %d W", b.adapterWatts));
    if (const auto &error = state.error())
        addInfo(menu, QStringLiteral(u"\u26A0\uFE0E ") + *error);
    menu.addSeparator();

    addCommand(menu, L("Einstellungen …"), actions.openSettings)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addCommand(menu, L("Voltquill beenden"), actions.quit)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}
