// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QStringList>
#include <functional>

// The weekday schedule. Everything it remembers lies in the settings store;
// the caller passes the current time so tests can stand at any instant.
namespace Scheduler
{
// (weekday number 1 Sunday … 7 Saturday, display name), Monday first, with the
// stand-alone names of appLocale.
QList<QPair<qint64, QString>> weekdays();
// The same from a list of names given Sunday first; anything but seven names
// gives the weekday numbers as digits.
QList<QPair<qint64, QString>> weekdays(const QStringList &standaloneNames);
// The weekday number of the local calendar day of `date`: 1 Sunday … 7 Saturday.
qint64 weekdayNumber(const QDateTime &date);
// The instant whose calendar day counts: `date` or one calendar day later
// (from the evening hour on, when the evening rule is on).
QDateTime effectiveDay(const QDateTime &date);
// The stored limit of the weekday of `date`.
qint64 limit(const QDateTime &date);
// The applied marker's form of a day: the local ISO 8601 date, empty when invalid.
QString stamp(const QDateTime &date);
// Calls setLimit at most once, with the effective day's limit, when that day
// has not had its limit set yet. The marker is written first, so a failing
// setLimit is not retried until the next effective day.
void apply(const QDateTime &now, const std::function<void(qint64)> &setLimit);
// Forgets the applied marker, so the next apply sets the limit again.
void invalidate();
} // namespace Scheduler
