// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatteryInfo.h"
#include "support/FakeBatteryRegistry.h"

#include <QTest>
#include <limits>

class TestBatteryInfo : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void noBatteryGivesDefaultRecord()
    {
        FakeBatteryRegistry registry;
        const BatteryInfo b = BatteryInfo::read(registry);
        QCOMPARE(b, BatteryInfo());
        QVERIFY(!b.hasBattery);
        QVERIFY(!b.minutesRemaining);
    }

    void emptyReadingHasBatteryButDefaults()
    {
        BatteryInfo expected;
        expected.hasBattery = true;
        QCOMPARE(BatteryInfo::fromReading(BatteryReading()), expected);
    }

    void fields_data()
    {
        QTest::addColumn<BatteryReading>("r");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");

        QTest::newRow("percent") << BatteryReading{.percent = 57} << "percent" << QVariant(57);
        QTest::newRow("percent not scaled")
            << BatteryReading{.percent = 120} << "percent" << QVariant(120);
        QTest::newRow("charging") << BatteryReading{.charging = true} << "isCharging"
                                  << QVariant(true);
        QTest::newRow("plugged") << BatteryReading{.external = true} << "pluggedIn"
                                 << QVariant(true);
        QTest::newRow("full") << BatteryReading{.full = true} << "fullyCharged" << QVariant(true);
        QTest::newRow("cycles") << BatteryReading{.cycles = 312} << "cycles" << QVariant(312);
        QTest::newRow("design") << BatteryReading{.designMah = 5000} << "designCapacity"
                                << QVariant(5000);
        QTest::newRow("nominal") << BatteryReading{.fullMah = 4500} << "nominalCapacity"
                                 << QVariant(4500);
        QTest::newRow("temperature 301")
            << BatteryReading{.tenthsCelsius = 301} << "temperatureC" << QVariant(30.1);
        QTest::newRow("temperature below zero")
            << BatteryReading{.tenthsCelsius = -55} << "temperatureC" << QVariant(-5.5);
        QTest::newRow("watts") << BatteryReading{.adapterWatts = 96} << "adapterWatts"
                               << QVariant(96);
        QTest::newRow("health 4123/4382") << BatteryReading{.designMah = 4382, .fullMah = 4123}
                                          << "healthPercent" << QVariant(94);
        QTest::newRow("health capped") << BatteryReading{.designMah = 4000, .fullMah = 4500}
                                       << "healthPercent" << QVariant(100);
        QTest::newRow("health half rounds up")
            << BatteryReading{.designMah = 200, .fullMah = 189} << "healthPercent" << QVariant(95);
        QTest::newRow("health without design")
            << BatteryReading{.designMah = 0, .fullMah = 4500} << "healthPercent" << QVariant(0);
        QTest::newRow("health without full")
            << BatteryReading{.designMah = 4000} << "healthPercent" << QVariant(0);
        QTest::newRow("health huge capacity")
            << BatteryReading{.designMah = 1, .fullMah = std::numeric_limits<qint64>::max()}
            << "healthPercent" << QVariant(100);
        QTest::newRow("health no lower bound")
            << BatteryReading{.designMah = 100, .fullMah = -20} << "healthPercent" << QVariant(-20);
        QTest::newRow("health most negative")
            << BatteryReading{.designMah = 1, .fullMah = std::numeric_limits<qint64>::min()}
            << "healthPercent" << QVariant(std::numeric_limits<qint64>::min());
    }

    void fields()
    {
        QFETCH(BatteryReading, r);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        const BatteryInfo b = BatteryInfo::fromReading(r);
        const QMap<QString, QVariant> actual{{"percent", b.percent},
                                             {"isCharging", b.isCharging},
                                             {"pluggedIn", b.pluggedIn},
                                             {"fullyCharged", b.fullyCharged},
                                             {"cycles", b.cycles},
                                             {"healthPercent", b.healthPercent},
                                             {"designCapacity", b.designCapacity},
                                             {"nominalCapacity", b.nominalCapacity},
                                             {"temperatureC", b.temperatureC},
                                             {"adapterWatts", b.adapterWatts}};
        if (value.typeId() == QMetaType::Double)
            QVERIFY(qFuzzyCompare(actual.value(field).toDouble(), value.toDouble()));
        else
            QCOMPARE(actual.value(field).toLongLong(), value.toLongLong());
        QVERIFY(b.hasBattery);
    }

    void minutes_data()
    {
        QTest::addColumn<bool>("charging");
        QTest::addColumn<bool>("plugged");
        QTest::addColumn<qint64>("left");    // -1: the driver gives none
        QTest::addColumn<qint64>("minutes"); // -1: absent

        QTest::newRow("charging 95") << true << true << qint64(95) << qint64(95);
        QTest::newRow("battery 192") << false << false << qint64(192) << qint64(192);
        QTest::newRow("battery 65535") << false << false << qint64(65535) << qint64(-1);
        QTest::newRow("battery 0") << false << false << qint64(0) << qint64(-1);
        QTest::newRow("battery negative") << false << false << qint64(-5) << qint64(-1);
        QTest::newRow("battery 65534") << false << false << qint64(65534) << qint64(65534);
        QTest::newRow("battery 1") << false << false << qint64(1) << qint64(1);
        QTest::newRow("held at limit") << false << true << qint64(300) << qint64(-1);
        QTest::newRow("missing") << false << false << qint64(-1) << qint64(-1);
    }

    void minutes()
    {
        QFETCH(bool, charging);
        QFETCH(bool, plugged);
        QFETCH(qint64, left);
        QFETCH(qint64, minutes);
        BatteryReading r{.charging = charging, .external = plugged};
        if (left != -1)
            r.minutesLeft = left;
        QCOMPARE(BatteryInfo::fromReading(r).minutesRemaining.value_or(-1), minutes);
    }
};

QTEST_GUILESS_MAIN(TestBatteryInfo)
#include "tst_batteryinfo.moc"
