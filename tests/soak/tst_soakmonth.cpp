// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated month: the agent's refresh loop (driven tick by tick on an
// injected clock) and the real charge service on a private bus, on the
// simulated laptop, with daily plug cycles, nightly suspends after which the
// firmware has forgotten the threshold, a long day on battery each week and a
// weekday schedule. Afterwards: memory has not grown, the history holds one
// sample per month, and no notification came twice for one occasion.
#include "Laptop.h"
#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "platform/ChargeClientFactory.h"
#include "platform/SysfsBatteryRegistry.h"
#include "policy/History.h"
#include "policy/NotificationCenter.h"
#include "policy/Notifier.h"
#include "policy/Scheduler.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeNotificationCenter.h"
#include "support/PolicySupport.h"
#include "support/ServiceRig.h"
#include "support/TempHome.h"

#include <QDBusMessage>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <malloc.h>

namespace
{
// A notification with the plug session it fell into.
struct Posted {
    QString identifier;
    int session;
    QString at;
};

// Bytes the allocator hands out now (a leak shows as steady growth).
qint64 heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return -1; // ASan's allocator keeps freed blocks in quarantine; LSan checks leaks
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
#endif
}

qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
} // namespace

class TestSoakMonth : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void month();

private:
    void resume(Laptop &laptop, const QString &threshold);

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
    std::unique_ptr<ServiceRig> m_rig;
    QProcess m_logind;
};

void TestSoakMonth::initTestCase()
{
    setTimeZone("Europe/Berlin"); // the month crosses the change to summer time
    m_rig = std::make_unique<ServiceRig>(ServiceRig::Mode::Session);
    QVERIFY(m_rig->start());
    QVERIFY2(m_rig->bus().startMock(m_logind, QStringLiteral("logind"),
                                    QStringLiteral("org.freedesktop.login1")),
             "python3-dbusmock's logind did not come up");
}

void TestSoakMonth::cleanupTestCase()
{
    m_logind.terminate();
    m_logind.waitForFinished(5000);
    m_rig.reset();
}

// Wakes the machine: the firmware has forgotten the threshold, logind says so.
void TestSoakMonth::resume(Laptop &laptop, const QString &threshold)
{
    laptop.setEndThreshold(100);
    QDBusMessage signal = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    signal << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PrepareForSleep")
           << QStringLiteral("b") << QVariantList{QVariant(false)};
    QCOMPARE(m_rig->connection().call(signal).type(), QDBusMessage::ReplyMessage);
    const auto held = [&threshold] {
        QFile file(threshold);
        return file.open(QIODevice::ReadOnly) && file.readAll().trimmed() != "100";
    };
    QTRY_VERIFY(held());
}

void TestSoakMonth::month()
{
    Prefs::d().clear();
    Prefs::d().setBool(Key::scheduleOn, true);
    const int week[] = {0, 90, 80, 80, 85, 80, 75, 95}; // Sunday 1 … Saturday 7
    for (int day = 1; day <= 7; ++day)
        Prefs::d().setInteger(QStringLiteral("schedule_%1").arg(day), week[day]);
    Prefs::d().setBool(Key::notifyAdapter, true);

    const QString root = m_rig->sysfs().root();
    QTemporaryDir data;
    Laptop laptop({.root = root, .cycles = 300});
    QString error;
    QVERIFY2(laptop.create(&error), qPrintable(error));
    laptop.setLevel(70);
    laptop.setPlugged(true);
    laptop.step(1);
    const QString threshold =
        root + QStringLiteral("/class/power_supply/BAT0/charge_control_end_threshold");

    ServiceProcess &service = m_rig->service();
    QVERIFY(service.start());

    FixedClock clock;
    clock.at = localTime(QStringLiteral("2025-03-10 07:00:00")); // a Monday
    SysfsBatteryRegistry registry(root);
    ChargeLimit chargeLimit(ChargeClientFactory::create(m_rig->connection()));
    QVERIFY(chargeLimit.isSupported());
    AppState state(chargeLimit, registry, clock);
    QList<Posted> posted;
    int session = 0; // counts plug and unplug events
    QString now;
    FakeNotificationCenter center;
    center.onAdd = [&](const QString &identifier) { posted.append({identifier, session, now}); };
    Notifier notifier(center);
    History history(data.path());
    AppDelegate delegate({.state = state, .notifier = notifier, .history = history});
    delegate.applicationDidFinishLaunching();

    constexpr int stepSeconds = 120; // a tick every two simulated minutes
    const QDateTime end = clock.at.addDays(30);
    qint64 heapAtWarmUp = -1;
    qint64 serviceAtWarmUp = -1;
    int ticks = 0;
    int suspends = 0;
    int plugChanges = 0;
    bool plugged = true;
    while (clock.at < end) {
        const QTime time = clock.at.time();
        const bool longDay = clock.at.date().dayOfWeek() == 5; // Fridays on battery
        const bool onBattery = longDay ? time >= QTime(8, 0) && time < QTime(19, 0)
                                       : (time >= QTime(9, 0) && time < QTime(12, 0)) ||
                                             (time >= QTime(14, 0) && time < QTime(16, 30));
        if (onBattery == plugged) {
            plugged = !onBattery;
            laptop.setPlugged(plugged);
            ++session;
            ++plugChanges;
        }
        if (time.hour() == 23 && time.minute() < stepSeconds / 60) {
            // Suspended overnight, plugged in; woken at 07:00.
            laptop.step(8 * 3600);
            clock.at = clock.at.addSecs(8 * 3600);
            resume(laptop, threshold);
            ++suspends;
        } else {
            laptop.step(stepSeconds);
            clock.at = clock.at.addSecs(stepSeconds);
        }
        now = clock.at.toString(Qt::ISODate);
        delegate.tick();
        QVERIFY2(!state.error(), qPrintable(state.error().value_or(QString()) + " at " + now));
        ++ticks;
        if (ticks == 3 * 16 * 30) { // warmed up after three days
            heapAtWarmUp = heapInUse();
            serviceAtWarmUp = residentKiB(service.pid());
        }
    }
    qInfo("%d ticks, %d plug changes, %d suspends, %lld notifications", ticks, plugChanges,
          suspends, static_cast<long long>(posted.size()));

    // The schedule held: the battery keeps the limit of the last day.
    const qint64 scheduled = week[Scheduler::weekdayNumber(Scheduler::effectiveDay(clock.at))];
    QCOMPARE(state.limit(), scheduled);
    // The service may still be writing the last resume's repair.
    const auto written = [&threshold] {
        QFile file(threshold);
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : -1;
    };
    QTRY_COMPARE(written(), scheduled);

    // One sample per month: March and April.
    const QList<HealthSample> samples = history.samples();
    QCOMPARE(samples.size(), 2);
    QCOMPARE(samples.at(0).month, History::monthOf(localTime("2025-03-15 12:00:00")));
    QCOMPARE(samples.at(1).month, History::monthOf(localTime("2025-04-05 12:00:00")));
    QCOMPARE(History(data.path()).samples(), samples);

    // Each rule spoke, and none twice for one occasion (one plug session).
    QSet<QString> identifiers;
    for (qsizetype i = 0; i < posted.size(); ++i) {
        const auto &p = posted.at(i);
        identifiers.insert(p.identifier);
        for (qsizetype j = 0; j < i; ++j)
            QVERIFY2(posted.at(j).identifier != p.identifier || posted.at(j).session != p.session,
                     qPrintable(p.identifier + " twice, at " + p.at));
    }
    QMap<QString, int> byIdentifier;
    for (const auto &p : posted)
        ++byIdentifier[p.identifier];
    for (auto it = byIdentifier.cbegin(); it != byIdentifier.cend(); ++it)
        qInfo("  \"%s\": %d", qPrintable(it.key()), it.value());
    QVERIFY(identifiers.contains(QStringLiteral("limit")));
    QVERIFY(identifiers.contains(QStringLiteral("low")));

    // Memory: what the agent holds after three days is what it holds after thirty.
    if (heapAtWarmUp >= 0) {
        const qint64 growth = heapInUse() - heapAtWarmUp;
        qInfo("agent heap growth after warm-up: %lld bytes", static_cast<long long>(growth));
        QVERIFY2(growth < 256 * 1024, qPrintable(QString::number(growth)));
    }
    const qint64 serviceGrowth = residentKiB(service.pid()) - serviceAtWarmUp;
    qInfo("service resident growth after warm-up: %lld KiB", static_cast<long long>(serviceGrowth));
#if !defined(__SANITIZE_ADDRESS__)
    QVERIFY2(serviceGrowth < 1024, qPrintable(QString::number(serviceGrowth)));
#endif
}

QTEST_GUILESS_MAIN(TestSoakMonth)
#include "tst_soakmonth.moc"
