// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatteryInfo.h"
#include "support/FakeBatteryRegistry.h"

#include <QTest>

using Table = QVariantMap;

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

    void emptyTableHasBatteryButDefaults()
    {
        BatteryInfo expected;
        expected.hasBattery = true;
        QCOMPARE(BatteryInfo::fromProperties(Table()), expected);
    }

    void fields_data()
    {
        QTest::addColumn<Table>("p");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");

        const Table nested{{"BatteryData", Table{{"DesignCapacity", 5000},
                                                 {"NominalChargeCapacity", 4500},
                                                 {"Temperature", 2950},
                                                 {"AppleRawMaxCapacity", 4400}}}};
        QTest::newRow("percent") << Table{{"CurrentCapacity", 57}} << "percent" << QVariant(57);
        QTest::newRow("percent not scaled")
            << Table{{"CurrentCapacity", 120}} << "percent" << QVariant(120);
        QTest::newRow("percent mistyped")
            << Table{{"CurrentCapacity", "57"}} << "percent" << QVariant(0);
        QTest::newRow("percent fraction")
            << Table{{"CurrentCapacity", 57.5}} << "percent" << QVariant(0);
        QTest::newRow("charging") << Table{{"IsCharging", true}} << "isCharging" << QVariant(true);
        QTest::newRow("charging as number")
            << Table{{"IsCharging", 1}} << "isCharging" << QVariant(false);
        QTest::newRow("plugged") << Table{{"ExternalConnected", true}} << "pluggedIn"
                                 << QVariant(true);
        QTest::newRow("full") << Table{{"FullyCharged", true}} << "fullyCharged" << QVariant(true);
        QTest::newRow("cycles") << Table{{"CycleCount", 312}} << "cycles" << QVariant(312);
        QTest::newRow("design nested") << nested << "designCapacity" << QVariant(5000);
        QTest::newRow("design top wins")
            << Table{{"DesignCapacity", 4000}, {"BatteryData", Table{{"DesignCapacity", 5000}}}}
            << "designCapacity" << QVariant(4000);
        QTest::newRow("nominal nested") << nested << "nominalCapacity" << QVariant(4500);
        QTest::newRow("raw max top before nested")
            << Table{{"AppleRawMaxCapacity", 4300},
                     {"BatteryData", Table{{"AppleRawMaxCapacity", 4400}}}}
            << "nominalCapacity" << QVariant(4300);
        QTest::newRow("raw max nested")
            << Table{{"BatteryData", Table{{"AppleRawMaxCapacity", 4400}}}} << "nominalCapacity"
            << QVariant(4400);
        QTest::newRow("BatteryData not a table")
            << Table{{"BatteryData", 5}} << "designCapacity" << QVariant(0);
        QTest::newRow("temperature 3012")
            << Table{{"Temperature", 3012}} << "temperatureC" << QVariant(30.12);
        QTest::newRow("temperature nested") << nested << "temperatureC" << QVariant(29.5);
        QTest::newRow("watts") << Table{{"AdapterDetails", Table{{"Watts", 96}}}} << "adapterWatts"
                               << QVariant(96);
        QTest::newRow("adapter without watts")
            << Table{{"AdapterDetails", Table()}} << "adapterWatts" << QVariant(0);
        QTest::newRow("health 4123/4382")
            << Table{{"DesignCapacity", 4382}, {"NominalChargeCapacity", 4123}} << "healthPercent"
            << QVariant(94);
        QTest::newRow("health capped")
            << Table{{"DesignCapacity", 4000}, {"NominalChargeCapacity", 4500}} << "healthPercent"
            << QVariant(100);
        QTest::newRow("health half rounds up")
            << Table{{"DesignCapacity", 200}, {"NominalChargeCapacity", 189}} << "healthPercent"
            << QVariant(95);
        QTest::newRow("health without design")
            << Table{{"DesignCapacity", 0}, {"NominalChargeCapacity", 4500}} << "healthPercent"
            << QVariant(0);
        QTest::newRow("health huge capacity")
            << Table{{"DesignCapacity", 1},
                     {"NominalChargeCapacity", std::numeric_limits<qint64>::max()}}
            << "healthPercent" << QVariant(100);
        QTest::newRow("health no lower bound")
            << Table{{"DesignCapacity", 100}, {"NominalChargeCapacity", -20}} << "healthPercent"
            << QVariant(-20);
    }

    void fields()
    {
        QFETCH(Table, p);
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        const BatteryInfo b = BatteryInfo::fromProperties(p);
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
        QTest::addColumn<QVariant>("toFull");
        QTest::addColumn<QVariant>("toEmpty");
        QTest::addColumn<qint64>("minutes"); // -1: absent

        QTest::newRow("charging 95") << true << true << QVariant(95) << QVariant() << qint64(95);
        QTest::newRow("charging uses to-full")
            << true << true << QVariant() << QVariant(50) << qint64(-1);
        QTest::newRow("battery 192")
            << false << false << QVariant() << QVariant(192) << qint64(192);
        QTest::newRow("battery 65535")
            << false << false << QVariant() << QVariant(65535) << qint64(-1);
        QTest::newRow("battery 0") << false << false << QVariant() << QVariant(0) << qint64(-1);
        QTest::newRow("battery 65534")
            << false << false << QVariant() << QVariant(65534) << qint64(65534);
        QTest::newRow("battery 1") << false << false << QVariant() << QVariant(1) << qint64(1);
        QTest::newRow("held at limit")
            << false << true << QVariant(30) << QVariant(300) << qint64(-1);
        QTest::newRow("missing") << false << false << QVariant() << QVariant() << qint64(-1);
    }

    void minutes()
    {
        QFETCH(bool, charging);
        QFETCH(bool, plugged);
        QFETCH(QVariant, toFull);
        QFETCH(QVariant, toEmpty);
        QFETCH(qint64, minutes);
        Table p{{"IsCharging", charging}, {"ExternalConnected", plugged}};
        if (toFull.isValid())
            p.insert("AvgTimeToFull", toFull);
        if (toEmpty.isValid())
            p.insert("AvgTimeToEmpty", toEmpty);
        QCOMPARE(BatteryInfo::fromProperties(p).minutesRemaining.value_or(-1), minutes);
    }
};

QTEST_GUILESS_MAIN(TestBatteryInfo)
#include "tst_batteryinfo.moc"
