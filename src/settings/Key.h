#pragma once

#include <QString>

// The stored names of the settings.
namespace Key {
inline const QString notifyLimit = QStringLiteral("notifyLimit");
inline const QString notifyLow = QStringLiteral("notifyLow");
inline const QString lowThreshold = QStringLiteral("lowThreshold");
inline const QString notifyAdapter = QStringLiteral("notifyAdapter");
inline const QString adapterMinWatts = QStringLiteral("adapterMinWatts");
inline const QString scheduleOn = QStringLiteral("scheduleOn");
inline const QString scheduleEve = QStringLiteral("scheduleEve");
inline const QString scheduleEveHour = QStringLiteral("scheduleEveHour");
inline const QString scheduleApplied = QStringLiteral("scheduleApplied");
inline const QString historyOn = QStringLiteral("historyOn");
inline const QString blinkLow = QStringLiteral("blinkLow");
inline const QString blinkThreshold = QStringLiteral("blinkThreshold");
// The tray icon's colour: 0 follows the panel, 1 light, 2 dark.
inline const QString iconColour = QStringLiteral("iconColour");

// "schedule_" followed by the weekday number (1 Sunday … 7 Saturday).
inline QString scheduleDay(qint64 n) { return QStringLiteral("schedule_") + QString::number(n); }
} // namespace Key
