// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QString>

// One row of the status menu as every host draws it: Qt's own menu and a
// panel reading it over dbusmenu. Its id stays the same for the agent's life.
struct MenuRow {
    enum class Kind { info, separator, choice, command };
    // What choosing the row does.
    enum class Command { none, pickLimit, fullOnce, reEnable, openSettings, quit };

    int id = 0;
    Kind kind = Kind::info;
    Command command = Command::none;
    QString label;
    bool visible = true;
    bool bold = false;
    bool checked = false;
    qint64 value = 0; // the limit of a choice row
    QKeySequence shortcut;

    bool operator==(const MenuRow &) const = default;
};
