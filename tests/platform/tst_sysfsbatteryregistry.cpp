// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatteryInfo.h"
#include "platform/SysfsBatteryRegistry.h"
#include "support/PlantedFile.h"
#include "support/SysfsTree.h"

#include <QTest>

// Attribute sets as real drivers publish them.
namespace
{
using A = SysfsTree::Attributes;

// ACPI battery reporting energy (µWh, µW), as many business laptops do.
const A acpiEnergy{{"type", "Battery"},
                   {"status", "Discharging"},
                   {"present", "1"},
                   {"capacity", "64"},
                   {"cycle_count", "312"},
                   {"voltage_min_design", "11400000"},
                   {"voltage_now", "12100000"},
                   {"energy_full_design", "57000000"},
                   {"energy_full", "51300000"},
                   {"energy_now", "32832000"},
                   {"power_now", "10260000"},
                   {"technology", "Li-ion"},
                   {"charge_control_end_threshold", "80"}};

// ACPI battery reporting charge (µAh, µA) without a cycle count.
const A acpiCharge{{"type", "Battery"},
                   {"status", "Charging"},
                   {"present", "1"},
                   {"capacity", "57"},
                   {"cycle_count", "0"},
                   {"voltage_min_design", "15200000"},
                   {"charge_full_design", "4382000"},
                   {"charge_full", "4123000"},
                   {"charge_now", "2350000"},
                   {"current_now", "1400000"}};

// A smart battery that gives its own estimates and temperature.
const A smart{{"type", "Battery"},
              {"status", "Charging"},
              {"capacity", "40"},
              {"charge_full_design", "5000000"},
              {"charge_full", "4800000"},
              {"charge_now", "2000000"},
              {"temp", "301"},
              {"time_to_full_now", "5700"},
              {"cycle_count", "15"}};

const A mainsOnline{{"type", "Mains"}, {"online", "1"}};
const A mainsOffline{{"type", "Mains"}, {"online", "0"}};
const A usbPd{{"type", "USB"},
              {"online", "1"},
              {"usb_type", "C [PD] PD_PPS"},
              {"voltage_max", "20000000"},
              {"current_max", "3250000"}};
const A mouse{
    {"type", "Battery"}, {"scope", "Device"}, {"capacity", "5"}, {"status", "Discharging"}};
} // namespace

class TestSysfsBatteryRegistry : public QObject
{
    Q_OBJECT

    static BatteryInfo readTree(const SysfsTree &tree)
    {
        return BatteryInfo::read(SysfsBatteryRegistry(tree.root()));
    }

private Q_SLOTS:
    void noSuppliesGivesDefaultRecord()
    {
        SysfsTree tree;
        QCOMPARE(readTree(tree), BatteryInfo());
        tree.add("AC", mainsOnline);
        tree.add("hidpp_battery_0", mouse); // a mouse is no laptop battery
        QVERIFY(!readTree(tree).hasBattery);
    }

    void energyBatteryOnBattery()
    {
        SysfsTree tree;
        tree.add("AC", mainsOffline);
        tree.add("BAT0", acpiEnergy);
        const BatteryInfo b = readTree(tree);
        QVERIFY(b.hasBattery);
        QCOMPARE(b.percent, 64);
        QVERIFY(!b.isCharging);
        QVERIFY(!b.pluggedIn);
        QCOMPARE(b.cycles, 312);
        QCOMPARE(b.designCapacity, 5000);  // 57 Wh / 11.4 V
        QCOMPARE(b.nominalCapacity, 4500); // 51.3 Wh / 11.4 V
        QCOMPARE(b.healthPercent, 90);
        QCOMPARE(b.minutesRemaining, std::optional<qint64>(192)); // 32.832 Wh at 10.26 W
        QCOMPARE(b.adapterWatts, 0);
    }

    void chargeBatteryCharging()
    {
        SysfsTree tree;
        tree.add("ADP1", mainsOnline);
        tree.add("BAT1", acpiCharge);
        const BatteryInfo b = readTree(tree);
        QCOMPARE(b.percent, 57);
        QVERIFY(b.isCharging);
        QVERIFY(b.pluggedIn);
        QCOMPARE(b.cycles, 0);
        QCOMPARE(b.designCapacity, 4382);
        QCOMPARE(b.nominalCapacity, 4123);
        QCOMPARE(b.healthPercent, 94);
        QCOMPARE(b.minutesRemaining, std::optional<qint64>(76)); // 1.773 Ah at 1.4 A
    }

    void heldAtLimitHasNoEstimate()
    {
        SysfsTree tree;
        tree.add("AC", mainsOnline);
        A held = acpiEnergy;
        held["status"] = "Not charging";
        tree.add("BAT0", held);
        const BatteryInfo b = readTree(tree);
        QVERIFY(b.pluggedIn);
        QVERIFY(!b.isCharging);
        QVERIFY(!b.fullyCharged);
        QVERIFY(!b.minutesRemaining);
    }

    void fullAndDriverEstimateAndTemperature()
    {
        SysfsTree tree;
        tree.add("BAT0", smart);
        BatteryInfo b = readTree(tree);
        QCOMPARE(b.minutesRemaining, std::optional<qint64>(95));
        QCOMPARE(b.temperatureC, 30.1);
        QVERIFY(b.pluggedIn); // charging means power comes from somewhere

        tree.set("BAT0", "status", "Full");
        tree.add("AC", mainsOnline);
        b = readTree(tree);
        QVERIFY(b.fullyCharged);
        QVERIFY(!b.isCharging);
    }

    void usbPdSourceGivesWatts()
    {
        SysfsTree tree;
        tree.add("BAT0", acpiEnergy);
        tree.add("ucsi-source-psy-USBC000:001", usbPd);
        BatteryInfo b = readTree(tree);
        QVERIFY(b.pluggedIn);
        QCOMPARE(b.adapterWatts, 65);

        tree.set("ucsi-source-psy-USBC000:001", "online", "0");
        b = readTree(tree);
        QVERIFY(!b.pluggedIn);
        QCOMPARE(b.adapterWatts, 0);
    }

    void brokenAttributesFallBack_data()
    {
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<QString>("value");
        QTest::newRow("capacity garbage") << "capacity"
                                          << "abc";
        QTest::newRow("energy empty") << "energy_full"
                                      << "";
        QTest::newRow("power zero") << "power_now"
                                    << "0";
        QTest::newRow("voltage zero") << "voltage_min_design"
                                      << "0";
        QTest::newRow("negative power") << "power_now"
                                        << "-10260000";
        QTest::newRow("huge energy") << "energy_full"
                                     << "9223372036854775807";
        QTest::newRow("energy below any battery") << "energy_full"
                                                  << "-9223372036854775807";
        QTest::newRow("huge temperature") << "temp"
                                          << "9223372036854775807";
        QTest::newRow("temperature below any battery") << "temp"
                                                       << "-9223372036854775807";
    }

    void brokenAttributesFallBack()
    {
        QFETCH(QString, attribute);
        QFETCH(QString, value);
        SysfsTree tree;
        tree.add("BAT0", acpiEnergy);
        tree.set("BAT0", attribute, value);
        const BatteryInfo b = readTree(tree);
        QVERIFY(b.hasBattery);
        QVERIFY(b.healthPercent <= 100);
        if (attribute == u"temp")
            QCOMPARE(b.temperatureC, 0.0); // no reading rather than a wrapped one
        else if (attribute == u"power_now" && value.startsWith(QLatin1Char('-')))
            QCOMPARE(b.minutesRemaining, std::optional<qint64>(192)); // sign is driver-specific
    }

    void capacityFromEnergyWhenMissing()
    {
        SysfsTree tree;
        A broken = acpiEnergy;
        broken.remove("capacity");
        tree.add("BAT0", broken);
        QCOMPARE(readTree(tree).percent, 64);
    }

    void twoBatteriesAreShownAsOne()
    {
        // A ThinkPad with its internal and its swappable battery: one reports
        // energy, the other charge; the desktop shows one percentage.
        SysfsTree tree;
        tree.add("AC", mainsOffline);
        tree.add("BAT0", acpiEnergy); // 2880 of 4500 mAh at 900 mA
        A second = acpiCharge;        // 2350 of 4123 mAh at 1400 mA
        second["status"] = "Discharging";
        second["cycle_count"] = "40";
        tree.add("BAT1", second);
        A absent = acpiCharge;
        absent["present"] = "0"; // an empty bay counts for nothing
        tree.add("BAT2", absent);

        BatteryInfo b = readTree(tree);
        QCOMPARE(b.percent, 61);                                  // 5230 of 8623 mAh
        QCOMPARE(b.designCapacity, 9382);                         // 5000 + 4382
        QCOMPARE(b.nominalCapacity, 8623);                        // 4500 + 4123
        QCOMPARE(b.healthPercent, 92);                            // 8623 of 9382: of the sums
        QCOMPARE(b.cycles, 312);                                  // the more worn one
        QCOMPARE(b.minutesRemaining, std::optional<qint64>(136)); // 5230 mAh at 2300 mA
        QVERIFY(!b.isCharging);

        // One charges, the other waits: charging, and the time to fill both.
        tree.set("AC", "online", "1");
        tree.set("BAT1", "status", "Charging");
        tree.set("BAT0", "status", "Not charging");
        tree.set("BAT0", "power_now", "0");
        b = readTree(tree);
        QVERIFY(b.isCharging);
        QVERIFY(b.pluggedIn);
        QVERIFY(!b.fullyCharged);
        QCOMPARE(b.minutesRemaining, std::optional<qint64>(145)); // 3393 mAh at 1400 mA
    }

    // What no driver publishes, planted in place of an attribute, reads as
    // nothing: at once (a FIFO must not hold up the tick), never followed.
    void plantedAttributeReadsAsNothing_data()
    {
        QTest::addColumn<QString>("plant");
        QTest::newRow("fifo") << "fifo";
        QTest::newRow("link to /dev/zero") << "zero";
        QTest::newRow("link to a file") << "link";
        QTest::newRow("larger than a page") << "large";
    }

    void plantedAttributeReadsAsNothing()
    {
        QFETCH(QString, plant);
        SysfsTree tree;
        tree.add("BAT0", acpiEnergy);
        tree.set("elsewhere", "capacity", "99");
        QVERIFY(plantFile(tree.supplyDir() + "/BAT0/capacity", plant,
                          tree.supplyDir() + "/elsewhere/capacity", "99", 5000));
        // From energy_now / energy_full instead: 32.832 / 51.3 Wh.
        QCOMPARE(readTree(tree).percent, 64);
    }

    // On real sysfs each supply is a link from the class folder to its device.
    void supplyBehindALink()
    {
        SysfsTree tree;
        SysfsTree devices;
        QVERIFY(QDir().mkpath(tree.supplyDir()));
        QVERIFY(QFile::link(devices.supplyDir() + "/BAT0", tree.supplyDir() + "/BAT0"));
        QVERIFY(!readTree(tree).hasBattery); // a dangling link is no battery
        devices.add("BAT0", acpiEnergy);
        const BatteryInfo b = readTree(tree);
        QVERIFY(b.hasBattery);
        QCOMPARE(b.cycles, 312);
    }

    void batteryVanishing()
    {
        SysfsTree tree;
        tree.add("BAT0", acpiEnergy);
        QVERIFY(readTree(tree).hasBattery);
        tree.remove("BAT0"); // hot-unplug or driver reload
        QVERIFY(!readTree(tree).hasBattery);
    }
};

QTEST_GUILESS_MAIN(TestSysfsBatteryRegistry)
#include "tst_sysfsbatteryregistry.moc"
