// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/SystemClock.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FakeChargeClient.h"
#include "support/TempHome.h"

#include <QSignalSpy>
#include <QTest>

namespace
{
const QString ownErrorText = ChargeLimit::ownError().description;
}

class TestAppState : public QObject
{
    Q_OBJECT

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
    SystemClock m_clock;
    FakeBatteryRegistry m_registry;

    // A state over a fresh fake client; the client stays reachable through the pointer.
    struct Rig {
        FakeChargeClient *client;
        std::unique_ptr<ChargeLimit> limit;
        std::unique_ptr<AppState> state;
    };

    Rig makeRig(const std::function<void(FakeChargeClient &)> &setUp = {})
    {
        auto client = std::make_unique<FakeChargeClient>();
        FakeChargeClient *raw = client.get();
        if (setUp)
            setUp(*raw);
        auto limit = std::make_unique<ChargeLimit>(std::move(client));
        auto state = std::make_unique<AppState>(*limit, m_registry, m_clock);
        return {raw, std::move(limit), std::move(state)};
    }

private Q_SLOTS:
    void init() { Prefs::d().clear(); }

    void derivation_data()
    {
        QTest::addColumn<quint64>("reported");
        QTest::addColumn<QVariant>("chosen"); // invalid: absent
        QTest::addColumn<qint64>("enabled");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("engaged");
        QTest::addColumn<QVariant>("chosenAfter");
        QTest::addColumn<bool>("askedEnabled");

        QTest::newRow("limit in force") << quint64(80) << QVariant() << qint64(1) << qint64(80)
                                        << true << QVariant(80) << false;
        QTest::newRow("limit replaces chosen") << quint64(85) << QVariant(80) << qint64(0)
                                               << qint64(85) << true << QVariant(85) << false;
        QTest::newRow("no limit, none chosen") << quint64(100) << QVariant() << qint64(1)
                                               << qint64(100) << true << QVariant() << false;
        QTest::newRow("no limit, chosen 100") << quint64(100) << QVariant(100) << qint64(1)
                                              << qint64(100) << true << QVariant(100) << false;
        QTest::newRow("off, chosen 80") << quint64(100) << QVariant(80) << qint64(0) << qint64(100)
                                        << true << QVariant(80) << true;
        QTest::newRow("suspended") << quint64(100) << QVariant(80) << qint64(1) << qint64(80)
                                   << false << QVariant(80) << true;
        QTest::newRow("any non-zero is enabled") << quint64(100) << QVariant(80) << qint64(-7)
                                                 << qint64(80) << false << QVariant(80) << true;
        QTest::newRow("above 100 counts as 100") << quint64(255) << QVariant(75) << qint64(1)
                                                 << qint64(75) << false << QVariant(75) << true;
        QTest::newRow("huge report") << quint64(std::numeric_limits<quint64>::max()) << QVariant(75)
                                     << qint64(0) << qint64(100) << true << QVariant(75) << true;
        QTest::newRow("chosen as string") << quint64(100) << QVariant("80") << qint64(1)
                                          << qint64(100) << true << QVariant() << false;
        QTest::newRow("chosen 80.5") << quint64(100) << QVariant(80.5) << qint64(1) << qint64(100)
                                     << true << QVariant() << false;
    }

    void derivation()
    {
        QFETCH(quint64, reported);
        QFETCH(QVariant, chosen);
        QFETCH(qint64, enabled);
        QFETCH(qint64, limit);
        QFETCH(bool, engaged);
        QFETCH(QVariant, chosenAfter);
        QFETCH(bool, askedEnabled);

        if (chosen.typeId() == QMetaType::Int)
            Prefs::setChosenLimit(chosen.toLongLong());
        else if (chosen.typeId() == QMetaType::QString)
            Prefs::d().setString(QStringLiteral("chosenLimit"), chosen.toString());
        else if (chosen.typeId() == QMetaType::Double) {
            // A fractional number can only come from a hand-edited file.
            QFile file(Prefs::d().filePath());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("{\"chosenLimit\": 80.5}");
            file.close();
            Prefs::d().reload();
        }

        Rig rig = makeRig([&](FakeChargeClient &c) {
            c.limit = reported;
            c.enabled = enabled;
        });
        QCOMPARE(rig.state->limit(), limit);
        QCOMPARE(rig.state->engaged(), engaged);
        QCOMPARE(Prefs::chosenLimit().has_value(), chosenAfter.isValid());
        if (chosenAfter.isValid())
            QCOMPARE(*Prefs::chosenLimit(), chosenAfter.toLongLong());
        QCOMPARE(rig.client->sent.contains(QStringLiteral("isMCLCurrentlyEnabled")), askedEnabled);
    }

    void options_data()
    {
        QTest::addColumn<std::optional<QList<qint64>>>("offered");
        QTest::addColumn<QList<qint64>>("options");
        QTest::newRow("client order kept")
            << std::optional(QList<qint64>{90, 80}) << QList<qint64>{90, 80};
        QTest::newRow("duplicates kept")
            << std::optional(QList<qint64>{80, 80}) << QList<qint64>{80, 80};
        QTest::newRow("empty list")
            << std::optional(QList<qint64>{}) << ChargeLimit::fallbackLimits();
        QTest::newRow("query failed")
            << std::optional<QList<qint64>>() << ChargeLimit::fallbackLimits();
    }

    void options()
    {
        QFETCH(std::optional<QList<qint64>>, offered);
        QFETCH(QList<qint64>, options);
        Rig rig = makeRig([&](FakeChargeClient &c) { c.limits = offered; });
        QCOMPARE(rig.state->options(), options);
    }

    void withoutClient()
    {
        Prefs::setChosenLimit(80);
        ChargeLimit limit(nullptr);
        AppState state(limit, m_registry, m_clock);
        QCOMPARE(state.options(), (QList<qint64>{80, 85, 90, 95, 100}));
        QCOMPARE(state.limit(), 100);
        QVERIFY(state.engaged());
        QVERIFY(!limit.isSupported());
        QVERIFY(!limit.isEngaged());

        state.setLimit(80);
        QCOMPARE(state.limit(), 100);
        QCOMPARE(state.error().value_or(QString()),
                 QStringLiteral("Limit konnte nicht gesetzt werden: ") + ownErrorText);
        QCOMPARE(ChargeLimit::ownError().domain, QStringLiteral("Voltquill"));
        QCOMPARE(ChargeLimit::ownError().code, 1);
        state.chargeFullOnce();
        QCOMPARE(state.error().value_or(QString()), QStringLiteral("Fehler: ") + ownErrorText);
    }

    void setLimitStoresChosenAndClearsError()
    {
        Rig rig = makeRig([](FakeChargeClient &c) {
            c.failure = ChargeError{QStringLiteral("x"), 3, QStringLiteral("verweigert")};
        });
        rig.state->setLimit(85);
        QCOMPARE(rig.state->error().value_or(QString()),
                 QStringLiteral("Limit konnte nicht gesetzt werden: verweigert"));
        QVERIFY(!Prefs::chosenLimit()); // a failed set leaves it alone

        rig.client->failure.reset();
        rig.state->setLimit(85);
        QVERIFY(!rig.state->error());
        QCOMPARE(rig.state->limit(), 85);
        QVERIFY(rig.state->engaged());
        QCOMPARE(rig.client->sent.filter(QStringLiteral("setMCLLimit")).last(),
                 QStringLiteral("setMCLLimit 85"));
    }

    void acceptedButStillReportingOld()
    {
        Rig rig = makeRig([](FakeChargeClient &c) {
            c.limit = 80;
            c.acceptSetLimit = false;
        });
        rig.state->setLimit(85);
        QCOMPARE(rig.state->limit(), 80);
        QCOMPARE(Prefs::chosenLimit(), std::optional<qint64>(80));
    }

    void setLimit100ForgetsSuspension()
    {
        Rig rig = makeRig([](FakeChargeClient &c) {
            c.limit = 80;
            c.enabled = 1;
        });
        rig.state->setLimit(100);
        QCOMPARE(Prefs::chosenLimit(), std::optional<qint64>(100));
        QCOMPARE(rig.state->limit(), 100);
        QVERIFY(rig.state->engaged());
    }

    void outOfRangeNeverReachesClient_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::newRow("negative") << qint64(-1);
        QTest::newRow("256") << qint64(256);
        QTest::newRow("huge") << std::numeric_limits<qint64>::max();
    }

    void outOfRangeNeverReachesClient()
    {
        QFETCH(qint64, limit);
        Rig rig = makeRig();
        rig.state->setLimit(limit);
        QVERIFY(rig.client->sent.filter(QStringLiteral("setMCLLimit")).isEmpty());
        QVERIFY(rig.state->error().value_or(QString()).startsWith(
            QStringLiteral("Limit konnte nicht gesetzt werden: ")));
        QVERIFY(!Prefs::chosenLimit() || *Prefs::chosenLimit() != limit);
    }

    void commandErrorsAndRefusalWithoutReason()
    {
        Rig rig = makeRig([](FakeChargeClient &c) {
            c.limit = 80;
            c.failure = ChargeError{QStringLiteral("x"), 1, QString()};
        });
        rig.state->chargeFullOnce();
        const QString error = rig.state->error().value_or(QString());
        QVERIFY(error.startsWith(QStringLiteral("Fehler: ")));
        QVERIFY(error.size() > QStringLiteral("Fehler: ").size()); // a generic reason is filled in

        rig.state->refresh(); // a refresh keeps the error
        QCOMPARE(rig.state->error().value_or(QString()), error);

        rig.client->failure.reset();
        rig.state->reEnable();
        QVERIFY(!rig.state->error());
        QCOMPARE(rig.client->sent.count(QStringLiteral("enableMCL")), 1);
    }

    void everyAssignmentIsAnnounced()
    {
        Rig rig = makeRig([](FakeChargeClient &c) { c.limit = 80; });
        QSignalSpy spy(rig.state.get(), &AppState::changed);
        rig.state->refresh(); // battery, limit, engaged: unchanged values, still announced
        QCOMPARE(spy.count(), 3);
        rig.state->reEnable(); // error, then the refresh
        QCOMPARE(spy.count(), 7);
    }

    void waitForPasswordIsShown()
    {
        Rig rig = makeRig();
        QVERIFY(rig.client->authorizationWait);
        QSignalSpy spy(rig.state.get(), &AppState::changed);
        QCOMPARE(rig.state->authorizationLine(), std::nullopt);
        rig.client->authorizationWait(true);
        QVERIFY(rig.state->awaitingAuthorization());
        QCOMPARE(rig.state->authorizationLine(),
                 QStringLiteral("Wartet auf die Anmeldung als Administrator …"));
        rig.client->authorizationWait(false);
        QCOMPARE(rig.state->authorizationLine(), std::nullopt);
        QCOMPARE(spy.count(), 2);
    }

    void refreshReadsBatteryAnew()
    {
        Rig rig = makeRig();
        QVERIFY(!rig.state->battery().hasBattery);
        m_registry.reported = BatteryReading{.percent = 42};
        rig.state->refresh();
        QCOMPARE(rig.state->battery().percent, 42);
        m_registry.reported.reset();
    }
};

QTEST_GUILESS_MAIN(TestAppState)
#include "tst_appstate.moc"
