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
// The offered limit nearest to `wanted` (the lower of two as near), so a
// stored limit the laptop does not offer (the default 80 where a family has
// 70, 85 and 100) still sets one; `wanted` itself when nothing is offered.
qint64 nearestOffered(qint64 wanted, const QList<qint64> &offered);
// The limit the weekday of `date` sets: its stored limit, or the offered
// limit nearest to it.
qint64 limit(const QDateTime &date, const QList<qint64> &offered);
// The applied marker's form of a day: the local ISO 8601 date, empty when invalid.
QString stamp(const QDateTime &date);
// Calls setLimit at most once, with the effective day's limit, when that day
// has not had its limit set yet. The marker is written first, so a failing
// setLimit is not retried until the next effective day.
void apply(const QDateTime &now, const QList<qint64> &offered,
           const std::function<void(qint64)> &setLimit);
// Forgets the applied marker, so the next apply sets the limit again.
void invalidate();
} // namespace Scheduler
