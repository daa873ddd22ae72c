// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "policy/Scheduler.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/PolicySupport.h"
#include "support/TempHome.h"

#include <QTest>

// One call of apply (or of invalidate, when `invalidate` is set) at a local time,
// and the limit it must hand on (-1: none).
struct ApplyStep {
    QString at;
    qint64 expected = -1;
    bool invalidate = false;
};
Q_DECLARE_METATYPE(QList<ApplyStep>)

class TestScheduler : public QObject
{
    Q_OBJECT

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};

    static void storeWeek()
    {
        // Sunday 1 … Saturday 7, each with its own limit.
        for (int n = 1; n <= 7; ++n)
            Prefs::d().setInteger(Key::scheduleDay(n), 60 + 5 * n);
    }

private Q_SLOTS:
    void init()
    {
        Prefs::d().clear();
        setTimeZone("Europe/Berlin");
    }

    void weekdaysInGerman()
    {
        const QList<QPair<qint64, QString>> expected{
            {2, "Montag"},  {3, "Dienstag"}, {4, "Mittwoch"}, {5, "Donnerstag"},
            {6, "Freitag"}, {7, "Samstag"},  {1, "Sonntag"}};
        QCOMPARE(Scheduler::weekdays(), expected);
    }

    void weekdaysFromNames_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("seven, capitalised")
            << QStringList{"sun", "mon", "tue", "wed", "thu", "fri", "sat"}
            << QStringList{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
        QTest::newRow("six: digits") << QStringList{"a", "b", "c", "d", "e", "f"}
                                     << QStringList{"2", "3", "4", "5", "6", "7", "1"};
        QTest::newRow("none: digits")
            << QStringList{} << QStringList{"2", "3", "4", "5", "6", "7", "1"};
    }

    void weekdaysFromNames()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, expected);
        QStringList got;
        QList<qint64> numbers;
        for (const auto &[n, name] : Scheduler::weekdays(names)) {
            numbers << n;
            got << name;
        }
        QCOMPARE(numbers, (QList<qint64>{2, 3, 4, 5, 6, 7, 1}));
        QCOMPARE(got, expected);
    }

    void effectiveDay_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("at");
        QTest::addColumn<QVariant>("eve");     // invalid: not stored
        QTest::addColumn<QVariant>("eveHour"); // invalid: not stored
        QTest::addColumn<QString>("day");
        QTest::addColumn<qint64>("weekday");

        const QVariant none;
        // 2025-03-17 is a Monday.
        QTest::newRow("19:59:59 counts today")
            << QByteArray("Europe/Berlin") << "2025-03-17 19:59:59" << none << none << "2025-03-17"
            << qint64(2);
        QTest::newRow("20:00 counts tomorrow")
            << QByteArray("Europe/Berlin") << "2025-03-17 20:00:00" << none << none << "2025-03-18"
            << qint64(3);
        QTest::newRow("after midnight: that day")
            << QByteArray("Europe/Berlin") << "2025-03-18 00:05:00" << none << none << "2025-03-18"
            << qint64(3);
        QTest::newRow("evening rule off, 23:59")
            << QByteArray("Europe/Berlin") << "2025-03-16 23:59:00" << QVariant(false) << none
            << "2025-03-16" << qint64(1);
        QTest::newRow("evening rule off, 00:00")
            << QByteArray("Europe/Berlin") << "2025-03-17 00:00:00" << QVariant(false) << none
            << "2025-03-17" << qint64(2);
        QTest::newRow("Saturday evening: Sunday")
            << QByteArray("Europe/Berlin") << "2025-03-22 21:00:00" << none << none << "2025-03-23"
            << qint64(1);
        QTest::newRow("end of February") << QByteArray("Europe/Berlin") << "2025-02-28 20:00:00"
                                         << none << none << "2025-03-01" << qint64(7);
        QTest::newRow("leap day") << QByteArray("Europe/Berlin") << "2024-02-28 22:00:00" << none
                                  << none << "2024-02-29" << qint64(5);
        QTest::newRow("New Year's Eve") << QByteArray("Europe/Berlin") << "2025-12-31 20:00:00"
                                        << none << none << "2026-01-01" << qint64(5);
        QTest::newRow("hour 0: tomorrow all day")
            << QByteArray("Europe/Berlin") << "2025-03-17 00:00:00" << none << QVariant(0)
            << "2025-03-18" << qint64(3);
        QTest::newRow("hour 24: never") << QByteArray("Europe/Berlin") << "2025-03-17 23:59:59"
                                        << none << QVariant(24) << "2025-03-17" << qint64(2);
        QTest::newRow("hour 12") << QByteArray("Europe/Berlin") << "2025-03-17 12:00:00" << none
                                 << QVariant(12) << "2025-03-18" << qint64(3);
        QTest::newRow("mistyped hour reads 20")
            << QByteArray("Europe/Berlin") << "2025-03-17 19:00:00" << none << QVariant("7")
            << "2025-03-17" << qint64(2);
        QTest::newRow("into a 23-hour day") << QByteArray("Europe/Berlin") << "2025-03-29 20:00:00"
                                            << none << none << "2025-03-30" << qint64(1);
        QTest::newRow("missing 02:30 of a 23-hour day")
            << QByteArray("Europe/Berlin") << "2025-03-29 02:30:00" << none << QVariant(2)
            << "2025-03-30" << qint64(1);
        QTest::newRow("into a 25-hour day") << QByteArray("Europe/Berlin") << "2025-10-25 23:00:00"
                                            << none << none << "2025-10-26" << qint64(1);
        QTest::newRow("local hour, not UTC")
            << QByteArray("America/New_York") << "2025-03-17 19:30:00" << none << none
            << "2025-03-17" << qint64(2);
    }

    void effectiveDay()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QString, at);
        QFETCH(QVariant, eve);
        QFETCH(QVariant, eveHour);
        QFETCH(QString, day);
        QFETCH(qint64, weekday);

        setTimeZone(zone);
        if (eve.isValid())
            Prefs::d().setBool(Key::scheduleEve, eve.toBool());
        if (eveHour.typeId() == QMetaType::Int)
            Prefs::d().setInteger(Key::scheduleEveHour, eveHour.toInt());
        else if (eveHour.isValid())
            Prefs::d().setString(Key::scheduleEveHour, eveHour.toString());
        storeWeek();

        const QDateTime now = localTime(at);
        QVERIFY(now.isValid());
        const QDateTime effective = Scheduler::effectiveDay(now);
        QCOMPARE(Scheduler::stamp(effective), day);
        QCOMPARE(Scheduler::weekdayNumber(effective), weekday);
        QCOMPARE(Scheduler::limit(effective, {}), 60 + 5 * weekday);
    }

    void limitForWeekday_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<QVariant>("stored"); // invalid: nothing stored
        QTest::addColumn<QList<qint64>>("offered");
        QTest::addColumn<qint64>("limit");
        const QList<qint64> common{60, 65, 70, 75, 80, 85, 90, 95, 100};
        QTest::newRow("Monday schedule_2")
            << "2025-03-17 10:00:00" << QVariant(85) << common << qint64(85);
        QTest::newRow("Saturday schedule_7")
            << "2025-03-22 10:00:00" << QVariant(100) << common << qint64(100);
        QTest::newRow("Sunday schedule_1")
            << "2025-03-23 10:00:00" << QVariant(60) << common << qint64(60);
        QTest::newRow("nothing stored")
            << "2025-03-22 10:00:00" << QVariant() << common << qint64(80);
        QTest::newRow("mistyped") << "2025-03-22 10:00:00" << QVariant("90") << common
                                  << qint64(80);
        QTest::newRow("nothing offered: the stored limit")
            << "2025-03-17 10:00:00" << QVariant(85) << QList<qint64>{} << qint64(85);
        // Laptops without 80: the default sets the nearest they offer.
        QTest::newRow("default on a family of 70, 85 and 100")
            << "2025-03-22 10:00:00" << QVariant() << QList<qint64>{70, 85, 100} << qint64(85);
        QTest::newRow("between two: the lower")
            << "2025-03-22 10:00:00" << QVariant(90) << QList<qint64>{60, 80, 100} << qint64(80);
        QTest::newRow("below every offered limit")
            << "2025-03-22 10:00:00" << QVariant(50) << QList<qint64>{60, 80, 100} << qint64(60);
    }

    void limitForWeekday()
    {
        QFETCH(QString, day);
        QFETCH(QVariant, stored);
        QFETCH(QList<qint64>, offered);
        QFETCH(qint64, limit);
        const QDateTime date = localTime(day);
        const QString key = Key::scheduleDay(Scheduler::weekdayNumber(date));
        if (stored.typeId() == QMetaType::Int)
            Prefs::d().setInteger(key, stored.toInt());
        else if (stored.isValid())
            Prefs::d().setString(key, stored.toString());
        QCOMPARE(Scheduler::limit(date, offered), limit);
        // What the schedule sets is what the line says it sets.
        QList<qint64> set;
        Prefs::setScheduleOn(true);
        Scheduler::apply(date, offered, [&](qint64 value) { set << value; });
        QCOMPARE(set, QList<qint64>{limit});
    }

    void applySequence_data()
    {
        QTest::addColumn<bool>("scheduleOn");
        QTest::addColumn<QList<ApplyStep>>("steps");

        // Limits: Monday 70, Tuesday 75, Wednesday 80, Sunday 65 (see storeWeek).
        QTest::newRow("off: nothing") << false << QList<ApplyStep>{{"2025-03-17 10:00:00"}};
        QTest::newRow("once per effective day")
            << true
            << QList<ApplyStep>{
                   {"2025-03-17 10:00:00", 70}, {"2025-03-17 10:00:30"}, {"2025-03-17 19:59:00"}};
        QTest::newRow("evening rule across two days")
            << true
            << QList<ApplyStep>{{"2025-03-17 19:59:00", 70},
                                {"2025-03-17 20:00:00", 75},
                                {"2025-03-18 00:05:00"},
                                {"2025-03-18 19:00:00"},
                                {"2025-03-18 20:00:00", 80}};
        QTest::newRow("invalidate sets the limit again")
            << true
            << QList<ApplyStep>{{"2025-03-17 09:00:00", 70},
                                {"2025-03-17 09:01:00"},
                                {{}, -1, true},
                                {"2025-03-17 09:02:00", 70},
                                {"2025-03-17 09:03:00"}};
        QTest::newRow("Sunday 23:59 then Monday 00:00, evening rule off")
            << true << QList<ApplyStep>{{"2025-03-16 23:59:00", 65}, {"2025-03-17 00:00:00", 70}};
    }

    void applySequence()
    {
        QFETCH(bool, scheduleOn);
        QFETCH(QList<ApplyStep>, steps);
        storeWeek();
        Prefs::d().setBool(Key::scheduleOn, scheduleOn);
        if (QByteArray(QTest::currentDataTag()).contains("evening rule off"))
            Prefs::d().setBool(Key::scheduleEve, false);

        for (const ApplyStep &step : steps) {
            if (step.invalidate) {
                Scheduler::invalidate();
                QVERIFY(!Prefs::d().contains(Key::scheduleApplied));
                continue;
            }
            QList<qint64> calls;
            Scheduler::apply(localTime(step.at), {}, [&](qint64 limit) { calls << limit; });
            const QList<qint64> expected =
                step.expected < 0 ? QList<qint64>{} : QList<qint64>{step.expected};
            QCOMPARE(calls, expected);
        }
        if (!scheduleOn)
            QVERIFY(!Prefs::d().contains(Key::scheduleApplied));
    }

    // The limit the user picks stays until the next effective day begins or
    // the schedule is edited.
    void handPickedLimitSurvives()
    {
        storeWeek(); // Monday 70, Tuesday 75
        Prefs::d().setBool(Key::scheduleOn, true);
        FakeBatteryRegistry registry;
        FixedClock clock;
        auto owned = std::make_unique<FakeChargeClient>();
        FakeChargeClient &client = *owned;
        ChargeLimit chargeLimit(std::move(owned));
        AppState state(chargeLimit, registry, clock);
        const auto tickAt = [&](const char *at) {
            Scheduler::apply(localTime(at), {}, [&](qint64 limit) { state.setLimit(limit); });
            state.refresh();
            return state.limit();
        };

        QCOMPARE(tickAt("2025-03-17 10:00:00"), qint64(70));
        state.setLimit(95);
        QCOMPARE(tickAt("2025-03-17 10:00:30"), qint64(95));
        QCOMPARE(tickAt("2025-03-17 19:59:59"), qint64(95));
        QCOMPARE(tickAt("2025-03-17 20:00:00"), qint64(75));
        state.setLimit(90);
        Scheduler::invalidate();
        QCOMPARE(tickAt("2025-03-17 20:05:00"), qint64(75));
        QCOMPARE(client.sent.filter("setMCLLimit"),
                 (QStringList{"setMCLLimit 70", "setMCLLimit 95", "setMCLLimit 75",
                              "setMCLLimit 90", "setMCLLimit 75"}));
    }

    void markerWrittenBeforeTheCall()
    {
        Prefs::d().setBool(Key::scheduleOn, true);
        QString markerDuringCall;
        Scheduler::apply(localTime("2025-12-31 20:30:00"), {}, [&](qint64) {
            markerDuringCall = Prefs::d().string(Key::scheduleApplied).value_or(QString());
        });
        QCOMPARE(markerDuringCall, QStringLiteral("2026-01-01"));
    }

    void offLeavesMarkerAlone()
    {
        Prefs::d().setString(Key::scheduleApplied, QStringLiteral("1999-01-01"));
        int calls = 0;
        Scheduler::apply(localTime("2025-03-17 10:00:00"), {}, [&](qint64) { ++calls; });
        QCOMPARE(calls, 0);
        QCOMPARE(Prefs::d().string(Key::scheduleApplied), QStringLiteral("1999-01-01"));
    }

    // Walks through a day with a clock change in 10-minute steps: every
    // effective day comes exactly once, in order, none is skipped.
    void clockChangeNeitherSkipsNorRepeats_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QVariant>("eveHour"); // invalid: evening rule off
        for (const auto &[name, from] : {std::pair{"23-hour day", "2025-03-28 00:00:00"},
                                         std::pair{"25-hour day", "2025-10-24 00:00:00"}}) {
            QTest::addRow("%s, evening rule off", name) << QString(from) << QVariant();
            for (int hour : {0, 2, 3, 20, 23})
                QTest::addRow("%s, evening hour %d", name, hour) << QString(from) << QVariant(hour);
        }
    }

    void clockChangeNeitherSkipsNorRepeats()
    {
        QFETCH(QString, from);
        QFETCH(QVariant, eveHour);
        Prefs::d().setBool(Key::scheduleOn, true);
        Prefs::d().setBool(Key::scheduleEve, eveHour.isValid());
        if (eveHour.isValid())
            Prefs::d().setInteger(Key::scheduleEveHour, eveHour.toInt());

        const QDateTime start = localTime(from);
        QStringList applied;
        for (QDateTime t = start; t < start.addSecs(4 * 86400); t = t.addSecs(600)) {
            const QString stamp = Scheduler::stamp(Scheduler::effectiveDay(t));
            int calls = 0;
            Scheduler::apply(t, {}, [&](qint64) { ++calls; });
            if (calls > 0)
                applied << stamp;
            QVERIFY2(calls <= 1, qPrintable(t.toString(Qt::ISODate)));
        }
        QVERIFY(applied.size() >= 4);
        for (qsizetype i = 1; i < applied.size(); ++i) {
            const QDate previous = QDate::fromString(applied.at(i - 1), Qt::ISODate);
            QCOMPARE(QDate::fromString(applied.at(i), Qt::ISODate), previous.addDays(1));
        }
    }
};

QTEST_GUILESS_MAIN(TestScheduler)
#include "tst_scheduler.moc"
