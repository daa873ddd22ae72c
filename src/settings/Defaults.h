#pragma once

#include <QtGlobal>

namespace Defaults {
inline constexpr bool notifyLimit = true;
inline constexpr bool notifyLow = true;
inline constexpr qint64 lowThreshold = 10;
inline constexpr bool notifyAdapter = true;
inline constexpr qint64 adapterMinWatts = 60;
inline constexpr bool scheduleOn = false;
inline constexpr bool scheduleEve = true;
inline constexpr qint64 scheduleEveHour = 20;
inline constexpr qint64 scheduleLimit = 80;
inline constexpr bool historyOn = true;
inline constexpr bool blinkLow = true;
inline constexpr qint64 blinkThreshold = 10;
inline constexpr qint64 iconColour = 0;
} // namespace Defaults
