#include "support/PolicySupport.h"
#include "app/L.h"
#include "policy/Notifier.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeNotificationCenter.h"
#include "support/TempHome.h"

#include <QTest>

namespace {
QString limitPost(int percent)
{
    return QStringLiteral("limit|Ladelimit erreicht|Der Akku ist bei %1 %. Der Laptop läuft jetzt "
                          "über das Netzteil.")
        .arg(percent);
}

QString lowPost(const QString &body) { return "low|Niedriger Akkustand|" + body; }

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

// One evaluation: the new snapshot (the previous step's is the old one), the
// posts it must cause and, when not -1, the stalled counter afterwards.
struct Tick {
    BatteryInfo now;
    QStringList posts;
    qint64 stalled = -1;
    qint64 limit = 80;
    bool engaged = true;
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
        addRow("charging stops above the limit", snapshot(82, P, C), {{snapshot(82, P), {limitPost(82)}}});
        addRow("already stopped above the limit", snapshot(82, P), {{snapshot(82, P), {}}});
        addRow("below the limit", snapshot(70, P, C), {{snapshot(79, P, C), {}}});
        addRow("limit 100", snapshot(99, P, C), {{snapshot(100, P), {}, -1, 100}});
        addRow("not engaged", snapshot(79, P, C), {{snapshot(80, P, C), {}, -1, 80, false}});
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

        // Stalled rule, limit 80.
        addRow("stalled: counting falling ticks", snapshot(70, P, false, 60),
               {{snapshot(69, P, false, 60), {}, 1},
                {snapshot(69, P, false, 60), {}, 1},
                {snapshot(68, P, false, 60), {stalledPost(68)}, 2},
                {snapshot(67, P, false, 60), {}, 3},
                {snapshot(68, P, C, 60), {}, 0},
                {snapshot(67, P, false, 60), {}, 1}});
        addRow("stalled: near the limit does not count", snapshot(79, P, false, 60),
               {{snapshot(78, P, false, 60), {}, 0}, {snapshot(77, P, false, 60), {}, 1}});
        addRow("stalled: unplugging resets", snapshot(70, P, false, 60),
               {{snapshot(69, P, false, 60), {}, 1},
                {snapshot(68, B), {}, 0},
                {snapshot(68, P, false, 60), {}, 0},
                {snapshot(67, P, false, 60), {}, 1},
                {snapshot(66, P, false, 60), {stalledPost(66)}, 2}});
        addRow("stalled: ceiling is at most 100", snapshot(100, P, false, 60),
               {{snapshot(99, P, false, 60), {}, 0, 200},
                {snapshot(98, P, false, 60), {}, 0, 200},
                {snapshot(97, P, false, 60), {}, 1, 200}});

        // notifyAdapter off: neither adapter nor stalled, no counting.
        addRow("notifyAdapter off", snapshot(70, B),
               {{snapshot(70, P, false, 30), {}, 0},
                {snapshot(69, P, false, 30), {}, 0},
                {snapshot(68, P, false, 30), {}, 0},
                {snapshot(67, P, false, 30), {}, 0}},
               {{Key::notifyAdapter, false}});

        // Without a battery nothing changes.
        addRow("no battery changes nothing", snapshot(70, P, false, 60),
               {{snapshot(69, P, false, 60), {}, 1},
                {noBattery(), {}, 1},
                {snapshot(68, P, false, 60), {stalledPost(68)}, 2}});
    }

    void rules()
    {
        QFETCH(QVariantMap, settings);
        QFETCH(BatteryInfo, first);
        QFETCH(QList<Tick>, ticks);
        for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
            if (it->typeId() == QMetaType::Bool)
                Prefs::d().setBool(it.key(), it->toBool());
            else
                Prefs::d().setInteger(it.key(), it->toLongLong());
        }
        FakeNotificationCenter center;
        Notifier notifier(center);
        BatteryInfo old = first;
        for (qsizetype i = 0; i < ticks.size(); ++i) {
            const Tick &tick = ticks.at(i);
            center.posts.clear();
            notifier.evaluate(old, tick.now, tick.limit, tick.engaged);
            QVERIFY2(center.posts == tick.posts,
                     qPrintable(QStringLiteral("tick %1: %2").arg(i).arg(center.posts.join(" / "))));
            if (tick.stalled >= 0)
                QVERIFY2(notifier.stalledTicks() == tick.stalled,
                         qPrintable(QStringLiteral("tick %1: stalledTicks %2")
                                        .arg(i)
                                        .arg(notifier.stalledTicks())));
            if (tick.now.hasBattery)
                old = tick.now;
        }
    }

    void noBatteryKeepsFlags()
    {
        FakeNotificationCenter center;
        Notifier notifier(center);
        notifier.evaluate(snapshot(79, true, true), snapshot(80, true, true, 30), 80, true);
        notifier.evaluate(snapshot(11, false), snapshot(10, false), 80, true);
        // Limit and adapter flags were cleared by the battery snapshot; low is set.
        QVERIFY(notifier.lowNotified());
        QVERIFY(!notifier.limitNotified());
        notifier.evaluate(snapshot(79, true, true), snapshot(80, true, true, 30), 80, true);
        QVERIFY(notifier.limitNotified() && notifier.adapterChecked() && !notifier.lowNotified());
        notifier.evaluate(snapshot(80, true), noBattery(), 80, true);
        QVERIFY(notifier.limitNotified() && notifier.adapterChecked() && !notifier.lowNotified());
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
        // Banner (16) with sound (2).
        QVERIFY(center.willPresent);
        QCOMPARE(center.willPresent(), 18);
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
