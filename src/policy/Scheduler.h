#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <functional>

// The weekday schedule. Everything it remembers lies in the settings store;
// the caller passes the current time so tests can stand at any instant.
namespace Scheduler {
// (weekday number 1 Sunday … 7 Saturday, display name), Monday first.
QList<QPair<qint64, QString>> weekdays();
// The instant whose calendar day counts: `date` or one calendar day later.
QDateTime effectiveDay(const QDateTime &date);
// The stored limit of the weekday of `date`.
qint64 limit(const QDateTime &date);
// Calls setLimit at most once, with the effective day's limit.
void apply(const QDateTime &now, const std::function<void(qint64)> &setLimit);
void invalidate();
} // namespace Scheduler
