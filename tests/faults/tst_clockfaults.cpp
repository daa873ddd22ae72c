// SPDX-License-Identifier: GPL-3.0-or-later
// The refresh loop while the clock jumps (a wrong RTC corrected, a suspended
// machine woken months later) and the time zone changes (travel). Whatever the
// order of instants, the history keeps one sample per month start, sorted, and
// the schedule sets a limit at most once per tick. A month start depends on
// the zone, so after travel one calendar month may hold a sample per zone.
#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/FakeNotificationCenter.h"
#include "support/PolicySupport.h"
#include "support/TempHome.h"

#include <QTemporaryDir>
#include <QTest>

namespace
{
// (time zone, local time) of one tick.
struct Tick {
    QByteArray zone;
    QString at;
};

// The calendar month of a stored month start, whatever zone it was taken in:
// local midnights of the 1st lie within 14 hours before and 12 after UTC's.
QString calendarMonth(double month)
{
    const qint64 seconds = static_cast<qint64>(month) + HealthSample::referenceEpoch + 14 * 3600;
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(QStringLiteral("yyyy-MM"));
}
} // namespace
Q_DECLARE_METATYPE(QList<Tick>)

class TestClockFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { setTimeZone("UTC"); }
    void jumpsAndZones_data();
    void jumpsAndZones();

private:
    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
};

void TestClockFaults::jumpsAndZones_data()
{
    QTest::addColumn<QList<Tick>>("ticks");
    QTest::addColumn<QStringList>("months");

    QTest::newRow("west across a month start")
        << QList<Tick>{{"Europe/Berlin", "2025-03-01 00:30:00"},
                       {"America/New_York", "2025-02-28 18:30:00"},
                       {"America/New_York", "2025-03-01 10:00:00"}}
        << QStringList{"2025-02", "2025-03", "2025-03"};
    QTest::newRow("east across a month start")
        << QList<Tick>{{"America/New_York", "2025-03-31 20:00:00"},
                       {"Asia/Tokyo", "2025-04-01 09:00:00"},
                       {"Asia/Tokyo", "2025-04-15 09:00:00"}}
        << QStringList{"2025-03", "2025-04"};
    QTest::newRow("one month, zones from +14 to -10")
        << QList<Tick>{{"Europe/Berlin", "2025-06-15 12:00:00"},
                       {"Pacific/Kiritimati", "2025-06-16 00:00:00"},
                       {"Pacific/Honolulu", "2025-06-15 00:00:00"},
                       {"UTC", "2025-06-30 23:59:00"}}
        << QStringList{"2025-06", "2025-06", "2025-06", "2025-06"};
    QTest::newRow("clock back a month and forward again")
        << QList<Tick>{{"UTC", "2025-05-10 10:00:00"},
                       {"UTC", "2025-04-10 10:00:00"},
                       {"UTC", "2025-05-11 10:00:00"}}
        << QStringList{"2025-04", "2025-05"};
    QTest::newRow("clock years ahead, then corrected")
        << QList<Tick>{{"UTC", "2025-05-10 10:00:00"},
                       {"UTC", "2031-05-10 10:00:00"},
                       {"UTC", "2025-05-12 10:00:00"}}
        << QStringList{"2025-05", "2031-05"};
    QTest::newRow("clock before 2001")
        << QList<Tick>{{"UTC", "1970-01-01 00:00:10"}, {"UTC", "2025-05-12 10:00:00"}}
        << QStringList{"1970-01", "2025-05"};
}

void TestClockFaults::jumpsAndZones()
{
    QFETCH(QList<Tick>, ticks);
    QFETCH(QStringList, months);

    Prefs::d().clear();
    Prefs::d().setBool(Key::scheduleOn, true);
    for (int day = 1; day <= 7; ++day)
        Prefs::d().setInteger(QStringLiteral("schedule_%1").arg(day), day % 2 ? 80 : 90);
    QTemporaryDir data;
    FixedClock clock;
    setTimeZone(ticks.first().zone);
    clock.at = localTime(ticks.first().at);

    auto *client = new FakeChargeClient;
    ChargeLimit chargeLimit{std::unique_ptr<ChargeClient>(client)};
    FakeBatteryRegistry registry;
    registry.reported = BatteryReading{.percent = 60,
                                       .charging = true,
                                       .external = true,
                                       .cycles = 120,
                                       .designMah = 5000,
                                       .fullMah = 4600};
    AppState state(chargeLimit, registry, clock);
    FakeNotificationCenter center;
    center.grant = false;
    Notifier notifier(center);
    History history(data.path());
    AppDelegate delegate({.state = state, .notifier = notifier, .history = history});
    delegate.applicationDidFinishLaunching();

    for (const Tick &tick : ticks) {
        setTimeZone(tick.zone);
        clock.at = localTime(tick.at);
        QVERIFY2(clock.at.isValid(), qPrintable(tick.at));
        client->sent.clear();
        delegate.tick();
        QVERIFY(client->sent.filter(QStringLiteral("setLimit")).size() <= 1);

        const QList<HealthSample> &samples = history.samples();
        for (qsizetype i = 1; i < samples.size(); ++i)
            QVERIFY2(samples.at(i - 1).month < samples.at(i).month, qPrintable(tick.at));
    }
    QStringList seen;
    for (const HealthSample &sample : history.samples())
        seen << calendarMonth(sample.month);
    QCOMPARE(seen, months);
    // The file says the same.
    History again(data.path());
    QCOMPARE(again.samples(), history.samples());
}

QTEST_GUILESS_MAIN(TestClockFaults)
#include "tst_clockfaults.moc"
