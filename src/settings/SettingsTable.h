// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every stored setting once: its type, its name (the JSON key in
// settings.json, and the name of its accessors), the name capitalised for the
// setter, its default, and whether its reader is written by hand.
// Key, Defaults and Prefs are derived from this table.
//
// Types: bool and qint64 fall back to the default when missing or mistyped;
// std::optional values are missing when absent or mistyped.
//
// A further family of keys is named at run time: "schedule_" followed by the
// weekday number (1 Sunday … 7 Saturday), qint64, default scheduleLimit
// (Key::scheduleDay).
#define VOLTQUILL_SETTINGS(X)                                                                      \
    X(bool, notifyLimit, NotifyLimit, true, plain)                                                 \
    X(bool, notifyLow, NotifyLow, true, plain)                                                     \
    X(qint64, lowThreshold, LowThreshold, 10, plain)                                               \
    X(bool, notifyAdapter, NotifyAdapter, true, plain)                                             \
    X(qint64, adapterMinWatts, AdapterMinWatts, 60, plain)                                         \
    X(bool, scheduleOn, ScheduleOn, false, plain)                                                  \
    X(bool, scheduleEve, ScheduleEve, true, plain)                                                 \
    X(qint64, scheduleEveHour, ScheduleEveHour, 20, plain)                                         \
    /* The day the schedule was last applied, "yyyy-MM-dd". */                                     \
    X(std::optional<QString>, scheduleApplied, ScheduleApplied, std::nullopt, plain)               \
    X(bool, historyOn, HistoryOn, true, plain)                                                     \
    X(bool, blinkLow, BlinkLow, true, plain)                                                       \
    X(qint64, blinkThreshold, BlinkThreshold, 10, plain)                                           \
    /* The tray icon's colour: 0 follows the panel, 1 light, 2 dark. */                            \
    X(qint64, iconColour, IconColour, 0, plain)                                                    \
    X(bool, showIcon, ShowIcon, true, plain)                                                       \
    /* Unchecked; when missing or mistyped, 2 or 0 from showPercent. */                            \
    X(qint64, iconStyle, IconStyle, 0, custom)                                                     \
    /* Replaced by iconStyle; only read. */                                                        \
    X(bool, showPercent, ShowPercent, false, plain)                                                \
    X(std::optional<qint64>, chosenLimit, ChosenLimit, std::nullopt, plain)

// The default a schedule_N key reads when unset.
#define VOLTQUILL_SCHEDULE_LIMIT_DEFAULT 80
