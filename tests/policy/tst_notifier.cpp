// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/L.h"
#include "policy/Notifier.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeNotificationCenter.h"
#include "support/PolicySupport.h"
#include "support/TempHome.h"

#include <QTest>

namespace
{
QString limitPost(int percent)
{
    return QStringLiteral("limit|Ladelimit erreicht|Der Akku ist bei %1 %. Der Laptop läuft jetzt "
                          "über das Netzteil.")
        .arg(percent);
}

QString lowPost(const QString &body)
{
    return "low|Niedriger Akkustand|" + body;
}

QString adapterPost(int watts, int minimum)
{
    return QStringLiteral("adapter|Schwaches Netzteil|Angeschlossen: %1 W (empfohlen ab %2 W). Der "
                          "Laptop lädt langsam oder entlädt sich unter Last.")
        .arg(watts)
        .arg(minimum);
}

QString stalledPost(int percent)
{
    return QStringLiteral("stalled|Netzteil reicht nicht|Trotz Netzteil sinkt der Akku (%1 %). Ein "
                          "stärkeres Netzteil oder Kabel verwenden.")
        .arg(percent);
}

BatteryInfo noBattery()
{
    BatteryInfo b = snapshot(5, false);
    b.hasBattery = false;
    return b;
}
} // namespace

// One evaluation: the new snapshot (the previous step's is the old one) and
// the posts it must cause; `settings` are stored before it.
struct Tick {
    BatteryInfo now;
    QStringList posts;
    qint64 limit = 80;
    bool engaged = true;
    QVariantMap settings = {};
};
Q_DECLARE_METATYPE(QList<Tick>)

class TestNotifier : public QObject
{
    Q_OBJECT

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};

    static void addRow(const char *name, const BatteryInfo &first, const QList<Tick> &ticks,
                       const QVariantMap &settings = {})
    {
        QTest::newRow(name) << settings << first << ticks;
    }

    static void store(const QVariantMap &settings)
    {
        for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
            if (it->typeId() == QMetaType::Bool)
                Prefs::d().setBool(it.key(), it->toBool());
            else
                Prefs::d().setInteger(it.key(), it->toLongLong());
        }
    }

private Q_SLOTS:
    void initTestCase() { loadStringTable(); }
    void init() { Prefs::d().clear(); }

    void rules_data()
    {
        QTest::addColumn<QVariantMap>("settings");
        QTest::addColumn<BatteryInfo>("first");
        QTest::addColumn<QList<Tick>>("ticks");

        const bool P = true;  // on the adapter
        const bool B = false; // on battery
        const bool C = true;  // charging

        // Limit rule.
        addRow("limit reached, once until unplugged", snapshot(79, P, C),
               {{snapshot(80, P, C), {limitPost(80)}},
                {snapshot(80, P), {}},
                {snapshot(80, P), {}},
                {snapshot(80, B), {}},
                {snapshot(79, P, C), {}},
                {snapshot(80, P, C), {limitPost(80)}}});
        addRow("charging stops above the limit", snapshot(82, P, C),
               {{snapshot(82, P), {limitPost(82)}}});
        addRow("already stopped above the limit", snapshot(82, P), {{snapshot(82, P), {}}});
        addRow("below the limit", snapshot(70, P, C), {{snapshot(79, P, C), {}}});
        addRow("limit 100", snapshot(99, P, C), {{snapshot(100, P), {}, 100}});
        addRow("not engaged", snapshot(79, P, C), {{snapshot(80, P, C), {}, 80, false}});
        addRow("limit rule off", snapshot(79, P, C), {{snapshot(80, P, C), {}}},
               {{Key::notifyLimit, false}});

        // Low rule, threshold 10.
        addRow("low: threshold and re-arming", snapshot(12, B),
               {{snapshot(11, B), {}},
                {snapshot(10, B), {lowPost("Noch 10 %. Bitte Netzteil anschließen.")}},
                {snapshot(9, B), {}},
                {snapshot(15, B), {}},
                {snapshot(10, B), {}},
                {snapshot(16, B), {}},
                {snapshot(10, B), {lowPost("Noch 10 %. Bitte Netzteil anschließen.")}}});
        addRow("low: with an estimate", snapshot(11, B),
               {{snapshot(10, B, false, 0, 95),
                 {lowPost("Noch 10 %. Reicht etwa 1:35 h. Bitte Netzteil anschließen.")}}});
        addRow("low: estimate under an hour", snapshot(11, B),
               {{snapshot(8, B, false, 0, 7),
                 {lowPost("Noch 8 %. Reicht etwa 0:07 h. Bitte Netzteil anschließen.")}}});
        addRow("low: re-armed by the adapter", snapshot(11, B),
               {{snapshot(10, B), {lowPost("Noch 10 %. Bitte Netzteil anschließen.")}},
                {snapshot(10, P, C, 0), {}},
                {snapshot(10, B), {lowPost("Noch 10 %. Bitte Netzteil anschließen.")}}});
        addRow("low: threshold 20", snapshot(25, B),
               {{snapshot(20, B), {lowPost("Noch 20 %. Bitte Netzteil anschließen.")}}},
               {{Key::lowThreshold, 20}});
        addRow("low rule off", snapshot(11, B), {{snapshot(5, B), {}}}, {{Key::notifyLow, false}});

        // Adapter rule, minimum 60 W.
        addRow("adapter: 0 W not checked, then 30 W once", snapshot(50, B),
               {{snapshot(50, P, C, 0), {}},
                {snapshot(51, P, C, 30), {adapterPost(30, 60)}},
                {snapshot(52, P, C, 30), {}},
                {snapshot(52, B), {}},
                {snapshot(52, P, C, 30), {adapterPost(30, 60)}}});
        addRow("adapter: 60 W is enough", snapshot(50, B),
               {{snapshot(50, P, C, 60), {}}, {snapshot(50, P, C, 30), {}}});
        addRow("adapter: minimum 90", snapshot(50, B),
               {{snapshot(50, P, C, 65), {adapterPost(65, 90)}}}, {{Key::adapterMinWatts, 90}});

        // Stalled rule, limit 80: the post comes at the second falling tick
        // counted, so where it comes shows what was counted.
        addRow("stalled: counting falling ticks", snapshot(70, P, false, 60),
               {{snapshot(69, P, false, 60), {}},
                {snapshot(69, P, false, 60), {}},
                {snapshot(68, P, false, 60), {stalledPost(68)}},
                {snapshot(67, P, false, 60), {}},
                {snapshot(68, P, C, 60), {}}, // charging starts the count anew
                {snapshot(67, P, false, 60), {}},
                {snapshot(66, P, false, 60), {stalledPost(66)}}});
        addRow("stalled: near the limit does not count", snapshot(79, P, false, 60),
               {{snapshot(78, P, false, 60), {}},
                {snapshot(77, P, false, 60), {}},
                {snapshot(76, P, false, 60), {stalledPost(76)}}});
        addRow("stalled: unplugging resets", snapshot(70, P, false, 60),
               {{snapshot(69, P, false, 60), {}},
                {snapshot(68, B), {}},
                {snapshot(68, P, false, 60), {}},
                {snapshot(67, P, false, 60), {}},
                {snapshot(66, P, false, 60), {stalledPost(66)}}});
        addRow("stalled: ceiling is at most 100", snapshot(100, P, false, 60),
               {{snapshot(99, P, false, 60), {}, 200},
                {snapshot(98, P, false, 60), {}, 200},
                {snapshot(97, P, false, 60), {}, 200},
                {snapshot(96, P, false, 60), {stalledPost(96)}, 200}});

        // notifyAdapter off: neither adapter nor stalled, no counting; once
        // switched on, both rules start from nothing.
        addRow("notifyAdapter off", snapshot(70, B),
               {{snapshot(70, P, false, 30), {}},
                {snapshot(69, P, false, 30), {}},
                {snapshot(68, P, false, 30), {}},
                {snapshot(67, P, false, 30), {}},
                {snapshot(66, P, false, 30),
                 {adapterPost(30, 60)},
                 80,
                 true,
                 {{Key::notifyAdapter, true}}},
                {snapshot(65, P, false, 30), {stalledPost(65)}}},
               {{Key::notifyAdapter, false}});

        // Without a battery nothing changes.
        addRow("no battery changes nothing", snapshot(70, P, false, 60),
               {{snapshot(69, P, false, 60), {}},
                {noBattery(), {}},
                {snapshot(68, P, false, 60), {stalledPost(68)}}});
    }

    void rules()
    {
        QFETCH(QVariantMap, settings);
        QFETCH(BatteryInfo, first);
        QFETCH(QList<Tick>, ticks);
        store(settings);
        FakeNotificationCenter center;
        Notifier notifier(center);
        BatteryInfo old = first;
        for (qsizetype i = 0; i < ticks.size(); ++i) {
            const Tick &tick = ticks.at(i);
            store(tick.settings);
            center.posts.clear();
            notifier.evaluate(old, tick.now, tick.limit, tick.engaged);
            QVERIFY2(
                center.posts == tick.posts,
                qPrintable(QStringLiteral("tick %1: %2").arg(i).arg(center.posts.join(" / "))));
            if (tick.now.hasBattery)
                old = tick.now;
        }
    }

    // A tick without a battery leaves every rule as it was: what the next
    // snapshot causes shows it.
    void noBatteryKeepsFlags_data()
    {
        QTest::addColumn<BatteryInfo>("old");
        QTest::addColumn<BatteryInfo>("now");
        QTest::addColumn<QStringList>("posts");
        QTest::newRow("limit and adapter still told")
            << snapshot(79, true, true) << snapshot(80, true, true, 30) << QStringList();
        // At 9 % on battery nothing arms it again: it fires only if still armed.
        QTest::newRow("low still armed")
            << snapshot(10, false) << snapshot(9, false)
            << QStringList{lowPost("Noch 9 %. Bitte Netzteil anschließen.")};
    }

    void noBatteryKeepsFlags()
    {
        QFETCH(BatteryInfo, old);
        QFETCH(BatteryInfo, now);
        QFETCH(QStringList, posts);
        FakeNotificationCenter center;
        Notifier notifier(center);
        const auto evaluate = [&](const BatteryInfo &before, const BatteryInfo &after) {
            center.posts.clear();
            notifier.evaluate(before, after, 80, true);
            return center.posts;
        };
        const QStringList limitAndAdapter{limitPost(80), adapterPost(30, 60)};
        QCOMPARE(evaluate(snapshot(79, true, true), snapshot(80, true, true, 30)), limitAndAdapter);
        // On battery the limit and adapter rules are armed again; low fires.
        QCOMPARE(evaluate(snapshot(11, false), snapshot(10, false)),
                 QStringList{lowPost("Noch 10 %. Bitte Netzteil anschließen.")});
        // On the adapter low is armed again; limit and adapter fire anew.
        QCOMPARE(evaluate(snapshot(79, true, true), snapshot(80, true, true, 30)), limitAndAdapter);
        QCOMPARE(evaluate(snapshot(80, true), noBattery()), QStringList());
        QCOMPARE(evaluate(old, now), posts);
    }

    void setupAsksWhileARuleIsOn_data()
    {
        QTest::addColumn<bool>("limit");
        QTest::addColumn<bool>("low");
        QTest::addColumn<bool>("adapter");
        QTest::addColumn<int>("requests");
        QTest::newRow("defaults") << true << true << true << 1;
        QTest::newRow("only adapter") << false << false << true << 1;
        QTest::newRow("all off") << false << false << false << 0;
    }

    void setupAsksWhileARuleIsOn()
    {
        QFETCH(bool, limit);
        QFETCH(bool, low);
        QFETCH(bool, adapter);
        QFETCH(int, requests);
        if (QTest::currentDataTag() != QByteArray("defaults")) {
            Prefs::d().setBool(Key::notifyLimit, limit);
            Prefs::d().setBool(Key::notifyLow, low);
            Prefs::d().setBool(Key::notifyAdapter, adapter);
        }
        FakeNotificationCenter center;
        Notifier notifier(center);
        notifier.setup();
        QCOMPARE(center.authorizationRequests, requests);
    }

    void permissionAnswers_data()
    {
        QTest::addColumn<bool>("grant");
        QTest::newRow("granted") << true;
        QTest::newRow("denied") << false;
    }

    void permissionAnswers()
    {
        QFETCH(bool, grant);
        FakeNotificationCenter center;
        center.grant = grant;
        Notifier notifier(center);
        std::optional<bool> answer;
        notifier.requestPermission([&](bool granted) { answer = granted; });
        QCOMPARE(answer, grant);
        notifier.requestPermission(); // no completion: nothing to call
        QCOMPARE(center.authorizationRequests, 2);
    }
};

QTEST_GUILESS_MAIN(TestNotifier)
#include "tst_notifier.moc"
