#include "policy/Scheduler.h"

// Placeholder until the weekday schedule lands.
QList<QPair<qint64, QString>> Scheduler::weekdays() { return {}; }
QDateTime Scheduler::effectiveDay(const QDateTime &date) { return date; }
qint64 Scheduler::limit(const QDateTime &) { return 80; }
void Scheduler::apply(const QDateTime &, const std::function<void(qint64)> &) {}
void Scheduler::invalidate() {}
