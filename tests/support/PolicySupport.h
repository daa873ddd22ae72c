// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryInfo.h"
#include "support/FixedClock.h"

#include <QDateTime>
#include <ctime>

// Switches the process's local time zone, as the TZ variable of a session would.
inline void setTimeZone(const QByteArray &zone)
{
    qputenv("TZ", zone);
    tzset();
}

// "2025-03-17 19:59:30" in the current local time zone.
inline QDateTime localTime(const QString &text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// A battery snapshot with the fields the rules look at.
inline BatteryInfo snapshot(qint64 percent, bool pluggedIn, bool charging = false,
                            qint64 adapterWatts = 0, std::optional<qint64> minutes = {})
{
    BatteryInfo b;
    b.hasBattery = true;
    b.percent = percent;
    b.pluggedIn = pluggedIn;
    b.isCharging = charging;
    b.adapterWatts = adapterWatts;
    b.minutesRemaining = minutes;
    return b;
}
