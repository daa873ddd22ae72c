// SPDX-License-Identifier: GPL-3.0-or-later
#include "policy/Scheduler.h"

#include "app/L.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"

QList<QPair<qint64, QString>> Scheduler::weekdays()
{
    // QLocale counts Monday 1 … Sunday 7; the list below is Sunday first.
    QStringList names;
    names << appLocale().standaloneDayName(Qt::Sunday, QLocale::LongFormat);
    for (int day = Qt::Monday; day <= Qt::Saturday; ++day)
        names << appLocale().standaloneDayName(day, QLocale::LongFormat);
    names.removeAll(QString());
    return weekdays(names);
}

QList<QPair<qint64, QString>> Scheduler::weekdays(const QStringList &standaloneNames)
{
    QList<QPair<qint64, QString>> days;
    for (const qint64 n : {2, 3, 4, 5, 6, 7, 1}) {
        QString name = QString::number(n);
        if (standaloneNames.size() == 7) {
            name = standaloneNames.at(n - 1);
            if (!name.isEmpty())
                name = appLocale().toUpper(name.left(1)) + name.mid(1);
        }
        days.append({n, name});
    }
    return days;
}

qint64 Scheduler::weekdayNumber(const QDateTime &date)
{
    // Monday 1 … Sunday 7 → Sunday 1 … Saturday 7.
    return date.toLocalTime().date().dayOfWeek() % 7 + 1;
}

QDateTime Scheduler::effectiveDay(const QDateTime &date)
{
    if (!Prefs::scheduleEve())
        return date;
    const QDateTime local = date.toLocalTime();
    if (local.time().hour() < Prefs::scheduleEveHour())
        return date;
    // Calendar-day arithmetic keeps the wall-clock time, so a 23- or 25-hour day
    // still lands on the next date. Where that wall-clock time does not exist
    // on the next day (a clock change), noon of that day stands in for it.
    const QDate nextDate = local.date().addDays(1);
    if (!nextDate.isValid())
        return date;
    const QDateTime next = local.addDays(1);
    if (next.isValid() && next.date() == nextDate)
        return next;
    return QDateTime(nextDate, QTime(12, 0));
}

qint64 Scheduler::nearestOffered(qint64 wanted, const QList<qint64> &offered)
{
    if (offered.isEmpty())
        return wanted;
    qint64 nearest = offered.first();
    for (const qint64 value : offered) {
        const qint64 distance = qAbs(value - wanted);
        const qint64 best = qAbs(nearest - wanted);
        if (distance < best || (distance == best && value < nearest))
            nearest = value;
    }
    return nearest;
}

qint64 Scheduler::limit(const QDateTime &date, const QList<qint64> &offered)
{
    return nearestOffered(Prefs::scheduleDay(weekdayNumber(date)), offered);
}

QString Scheduler::stamp(const QDateTime &date)
{
    const QDate day = date.toLocalTime().date();
    return day.isValid() ? day.toString(Qt::ISODate) : QString();
}

void Scheduler::apply(const QDateTime &now, const QList<qint64> &offered,
                      const std::function<void(qint64)> &setLimit)
{
    if (!Prefs::scheduleOn())
        return;
    const QDateTime day = effectiveDay(now);
    const QString dayStamp = stamp(day);
    if (Prefs::scheduleApplied() == dayStamp)
        return;
    Prefs::setScheduleApplied(dayStamp);
    if (setLimit)
        setLimit(limit(day, offered));
}

void Scheduler::invalidate()
{
    Prefs::setScheduleApplied(std::nullopt);
}
