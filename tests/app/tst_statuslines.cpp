// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/PolicySupport.h"
#include "support/TempHome.h"

#include <QTest>

namespace
{
enum class LimitState { Engaged, Suspended, None };

// A battery as the driver reports it; minutes < 0: no estimate.
std::optional<BatteryReading> reading(qint64 percent, bool charging, bool plugged, bool full,
                                      qint64 minutes)
{
    BatteryReading r{.percent = percent, .charging = charging, .full = full, .external = plugged};
    if (minutes >= 0)
        r.minutesLeft = minutes;
    return r;
}
} // namespace
Q_DECLARE_METATYPE(LimitState)

class TestStatusLines : public QObject
{
    Q_OBJECT

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
    FixedClock m_clock;
    FakeBatteryRegistry m_registry;

    // A state whose client reports `limit` in the given state.
    std::unique_ptr<AppState> makeState(qint64 limit, LimitState limitState)
    {
        auto client = std::make_unique<FakeChargeClient>();
        switch (limitState) {
        case LimitState::Engaged:
            client->limit = limit;
            client->kept = true;
            break;
        case LimitState::Suspended:
            client->limit = 100;
            client->kept = true;
            Prefs::setChosenLimit(limit);
            break;
        case LimitState::None:
            client->limit = 100;
            client->kept = false;
            break;
        }
        m_chargeLimit = std::make_unique<ChargeLimit>(std::move(client));
        return std::make_unique<AppState>(*m_chargeLimit, m_registry, m_clock);
    }
    std::unique_ptr<ChargeLimit> m_chargeLimit;

private Q_SLOTS:
    void init()
    {
        Prefs::d().clear();
        setTimeZone("Europe/Berlin");
        m_registry.reported.reset();
    }

    void statusLine_data()
    {
        QTest::addColumn<std::optional<BatteryReading>>("battery"); // empty: no battery
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<LimitState>("limitState");
        QTest::addColumn<QString>("line");

        const auto E = LimitState::Engaged;
        QTest::newRow("no battery")
            << std::optional<BatteryReading>() << qint64(80) << E << "Kein Akku gefunden";
        QTest::newRow("charging, 95 min") << reading(57, true, true, false, 95) << qint64(80) << E
                                          << "Akku 57 % – lädt (1:35 h bis voll)";
        QTest::newRow("charging, 5 min") << reading(57, true, true, false, 5) << qint64(80) << E
                                         << "Akku 57 % – lädt (0:05 h bis voll)";
        QTest::newRow("charging, no estimate")
            << reading(57, true, true, false, -1) << qint64(80) << E << "Akku 57 % – lädt";
        QTest::newRow("on battery, 192 min") << reading(45, false, false, false, 192) << qint64(80)
                                             << E << "Akku 45 % – Akkubetrieb (3:12 h)";
        QTest::newRow("on battery, no estimate")
            << reading(45, false, false, false, -1) << qint64(80) << E << "Akku 45 % – Akkubetrieb";
        QTest::newRow("adapter 92, limit 80") << reading(92, false, true, false, -1) << qint64(80)
                                              << E << "Akku 92 % – sinkt langsam auf 80 %";
        QTest::newRow("adapter 82, limit 80") << reading(82, false, true, false, -1) << qint64(80)
                                              << E << "Akku 82 % – sinkt langsam auf 80 %";
        QTest::newRow("adapter 81, limit 80") << reading(81, false, true, false, -1) << qint64(80)
                                              << E << "Akku 81 % – Limit erreicht, hält";
        QTest::newRow("adapter 80, limit 80") << reading(80, false, true, false, -1) << qint64(80)
                                              << E << "Akku 80 % – Limit erreicht, hält";
        QTest::newRow("adapter 79, limit 80") << reading(79, false, true, false, -1) << qint64(80)
                                              << E << "Akku 79 % – Limit erreicht, hält";
        QTest::newRow("adapter 78, limit 80") << reading(78, false, true, false, -1) << qint64(80)
                                              << E << "Akku 78 % – am Netzteil, lädt nicht";
        QTest::newRow("adapter 92, suspended")
            << reading(92, false, true, false, -1) << qint64(80) << LimitState::Suspended
            << "Akku 92 % – am Netzteil, lädt nicht";
        QTest::newRow("adapter 92, no limit")
            << reading(92, false, true, false, -1) << qint64(100) << LimitState::None
            << "Akku 92 % – am Netzteil, lädt nicht";
        QTest::newRow("full, limit 80") << reading(100, false, true, true, -1) << qint64(80) << E
                                        << "Akku 100 % – voll geladen";
        QTest::newRow("full, no limit") << reading(100, false, true, true, -1) << qint64(100)
                                        << LimitState::None << "Akku 100 % – voll geladen";
    }

    void statusLine()
    {
        QFETCH(std::optional<BatteryReading>, battery);
        QFETCH(qint64, limit);
        QFETCH(LimitState, limitState);
        QFETCH(QString, line);
        m_registry.reported = battery;
        const auto state = makeState(limit, limitState);
        QCOMPARE(state->statusLine(), line);
    }

    void limitLine_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<LimitState>("limitState");
        QTest::addColumn<QString>("line");
        QTest::newRow("no limit") << qint64(100) << LimitState::None
                                  << "Ladelimit aus (lädt auf 100 %)";
        QTest::newRow("engaged") << qint64(80) << LimitState::Engaged << "Ladelimit 80 % aktiv";
        QTest::newRow("suspended")
            << qint64(80) << LimitState::Suspended << "Limit 80 % – lädt einmalig voll";
    }

    void limitLine()
    {
        QFETCH(qint64, limit);
        QFETCH(LimitState, limitState);
        QFETCH(QString, line);
        m_registry.reported = reading(50, false, true, false, -1);
        QCOMPARE(makeState(limit, limitState)->limitLine(), line);
    }

    void scheduleLine_data()
    {
        QTest::addColumn<bool>("scheduleOn");
        QTest::addColumn<bool>("eve");
        QTest::addColumn<QString>("at");
        QTest::addColumn<QString>("line"); // empty: absent

        // Monday 2025-03-17: 85 %, Tuesday: 90 % (both offered by the fake client).
        QTest::newRow("off") << false << true << "2025-03-17 19:59:00"
                             << "";
        QTest::newRow("Monday 19:59") << true << true << "2025-03-17 19:59:00"
                                      << "Zeitplan: heute 85 %";
        QTest::newRow("Monday 20:00") << true << true << "2025-03-17 20:00:00"
                                      << "Zeitplan: ab jetzt für morgen 90 %";
        QTest::newRow("Monday 20:00, evening rule off") << true << false << "2025-03-17 20:00:00"
                                                        << "Zeitplan: heute 85 %";
        QTest::newRow("Tuesday 00:05") << true << true << "2025-03-18 00:05:00"
                                       << "Zeitplan: heute 90 %";
    }

    void scheduleLine()
    {
        QFETCH(bool, scheduleOn);
        QFETCH(bool, eve);
        QFETCH(QString, at);
        QFETCH(QString, line);
        Prefs::d().setBool(Key::scheduleOn, scheduleOn);
        Prefs::d().setBool(Key::scheduleEve, eve);
        Prefs::d().setInteger(Key::scheduleDay(2), 85);
        Prefs::d().setInteger(Key::scheduleDay(3), 90);
        m_clock.at = localTime(at);
        const auto state = makeState(80, LimitState::Engaged);
        const std::optional<QString> got = state->scheduleLine();
        if (line.isEmpty())
            QVERIFY(!got);
        else
            QCOMPARE(got.value_or(QString()), line);
    }
};

QTEST_GUILESS_MAIN(TestStatusLines)
#include "tst_statuslines.moc"
