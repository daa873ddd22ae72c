// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/MenuRows.h"

#include "app/AppState.h"
#include "app/L.h"

namespace
{
// The rows every menu has, in their order; the limits go after "Laden bis".
enum FixedId {
    statusId = 1,
    limitId,
    scheduleId,
    firstSeparatorId,
    chargeToId,
    suspendId,
    secondSeparatorId,
    healthId,
    adapterId,
    errorId,
    thirdSeparatorId,
    settingsId,
    quitId,
    authorizationId,
    firstChoiceId = 100,
};

MenuRow makeRow(int id, MenuRow::Kind kind, const QString &label = {})
{
    MenuRow r;
    r.id = id;
    r.kind = kind;
    r.label = label;
    return r;
}

MenuRow info(int id, const QString &label, bool visible = true)
{
    MenuRow r = makeRow(id, MenuRow::Kind::info, label);
    r.visible = visible;
    return r;
}

MenuRow separator(int id)
{
    return makeRow(id, MenuRow::Kind::separator);
}

MenuRow command(int id, MenuRow::Command what, const QString &label, QKeySequence shortcut = {})
{
    MenuRow r = makeRow(id, MenuRow::Kind::command, label);
    r.command = what;
    r.shortcut = shortcut;
    return r;
}
} // namespace

MenuRows::MenuRows(QObject *parent) : QObject(parent), m_nextId(firstChoiceId) {}

const MenuRow *MenuRows::row(int id) const
{
    for (const MenuRow &r : m_rows)
        if (r.id == id)
            return &r;
    return nullptr;
}

int MenuRows::choiceId(qint64 value)
{
    auto it = m_choiceIds.find(value);
    if (it == m_choiceIds.end())
        it = m_choiceIds.insert(value, m_nextId++);
    return *it;
}

void MenuRows::update(const AppState &state)
{
    const BatteryInfo &b = state.battery();
    const auto schedule = state.scheduleLine();
    const auto authorization = state.authorizationLine();
    const auto &error = state.error();

    QList<MenuRow> rows;
    MenuRow status = info(statusId, state.statusLine());
    status.bold = true;
    rows << status << info(limitId, state.limitLine())
         << info(scheduleId, schedule.value_or(QString()), schedule.has_value())
         << info(authorizationId, authorization.value_or(QString()), authorization.has_value())
         << separator(firstSeparatorId) << info(chargeToId, L("Laden bis"));
    for (const qint64 value : state.options()) {
        MenuRow choice = makeRow(choiceId(value), MenuRow::Kind::choice,
                                 QString::number(value) + QStringLiteral(" %"));
        choice.command = MenuRow::Command::pickLimit;
        choice.checked = value == state.limit();
        choice.value = value;
        rows << choice;
    }
    // One row for both commands, so the menu keeps its shape when the limit
    // is suspended or switched back on.
    MenuRow suspend = state.engaged() ? command(suspendId, MenuRow::Command::fullOnce,
                                                L("Einmal voll laden (bis zum Abstecken)"))
                                      : command(suspendId, MenuRow::Command::reEnable,
                                                L("Limit sofort wieder einschalten"));
    suspend.visible = state.limit() <= 99;
    const bool adapter = b.pluggedIn && b.adapterWatts > 0;
    rows << suspend << separator(secondSeparatorId)
         << info(healthId, L("Zustand %d %%  ·  %d Zyklen", b.healthPercent, b.cycles))
         << info(adapterId, adapter ? L("Netzteil %d W", b.adapterWatts) : QString(), adapter)
         << info(errorId, error ? QStringLiteral(u"\u26A0\uFE0E ") + *error : QString(),
                 error.has_value())
         << separator(thirdSeparatorId)
         << command(settingsId, MenuRow::Command::openSettings, L("Einstellungen …"),
                    QKeySequence(Qt::CTRL | Qt::Key_Comma))
         << command(quitId, MenuRow::Command::quit, L("Voltquill beenden"),
                    QKeySequence(Qt::CTRL | Qt::Key_Q));

    const auto ids = [](const QList<MenuRow> &list) {
        QList<int> out;
        for (const MenuRow &r : list)
            out << r.id;
        return out;
    };
    if (ids(rows) != ids(m_rows)) {
        const bool first = m_rows.isEmpty();
        m_rows = std::move(rows);
        if (!first) {
            ++m_revision;
            Q_EMIT layoutChanged();
        }
        return;
    }
    QList<int> changed;
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (rows.at(i) != m_rows.at(i))
            changed << rows.at(i).id;
    m_rows = std::move(rows);
    if (!changed.isEmpty())
        Q_EMIT rowsChanged(changed);
}
