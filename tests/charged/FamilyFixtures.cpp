// SPDX-License-Identifier: GPL-3.0-or-later
#include "FamilyFixtures.h"

#include "shared/LaptopFamily.h"
#include "support/FakeSysfs.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace
{
using Attributes = QMap<QByteArray, QByteArray>;

Attributes battery(Attributes extra = {})
{
    Attributes attributes{
        {"type", "Battery"}, {"present", "1"}, {"status", "Charging"}, {"capacity", "60"}};
    attributes.insert(extra);
    return attributes;
}
} // namespace

QList<LaptopFamily> FamilyFixtures::families()
{
    return LaptopFamily::known() + QList<LaptopFamily>{LaptopFamily::generic(),
                                                       LaptopFamily::legacy(),
                                                       LaptopFamily::behaviour()};
}

const LaptopFamily &FamilyFixtures::family(const QString &id)
{
    static const QList<LaptopFamily> all = families();
    for (const LaptopFamily &f : all)
        if (f.id == id)
            return f;
    QTest::qFail(qPrintable("no family " + id), __FILE__, __LINE__);
    return LaptopFamily::generic();
}

bool FamilyFixtures::lay(FakeSysfs &sysfs, const QString &family)
{
    sysfs.addAdapter(true);
    const auto module = [&](const char *name) { sysfs.addModule(QLatin1String(name)); };
    const Attributes startEnd{{"charge_control_start_threshold", "96"},
                              {"charge_control_end_threshold", "100"}};
    const Attributes endOnly{{"charge_control_end_threshold", "100"}};

    if (family == u"thinkpad") {
        // Both batteries of a T-series carry their own pair.
        module("thinkpad_acpi");
        sysfs.addSupply("BAT0", battery(startEnd));
        sysfs.addSupply("BAT1", battery(startEnd));
    } else if (family == u"dell") {
        // sysfs-class-power: charge_types lists the modes, the active one in
        // brackets; the driver registers BAT0 only.
        module("dell_laptop");
        sysfs.addSupply("BAT0",
                        battery({{"charge_types", "Trickle Fast [Standard] Adaptive Custom"},
                                 {"charge_control_start_threshold", "50"},
                                 {"charge_control_end_threshold", "100"}}));
    } else if (family == u"wilco") {
        // sysfs-class-power-wilco: the charger supply holds charge_type and
        // the thresholds; the battery is the ACPI one.
        module("wilco_charger");
        sysfs.addSupply("BAT0", battery());
        sysfs.addSupply("wilco-charger", {{"type", "Mains"},
                                          {"charge_type", "Standard"},
                                          {"charge_control_start_threshold", "95"},
                                          {"charge_control_end_threshold", "100"}});
    } else if (family == u"asus") {
        module("asus_wmi");
        sysfs.addSupply("BAT0", battery(endOnly));
    } else if (family == u"huawei") {
        module("huawei_wmi");
        sysfs.addSupply("BAT0", battery({{"charge_control_start_threshold", "0"},
                                         {"charge_control_end_threshold", "100"}}));
    } else if (family == u"lg") {
        module("lg_laptop");
        sysfs.addSupply("BAT0", battery(endOnly));
    } else if (family == u"toshiba") {
        module("toshiba_acpi");
        sysfs.addSupply("BAT1", battery(endOnly));
    } else if (family == u"galaxybook") {
        module("samsung_galaxybook");
        sysfs.addSupply("BAT1", battery(endOnly));
    } else if (family == u"msi") {
        // The firmware keeps the start at end − 10.
        module("msi_ec");
        sysfs.addSupply("BAT1", battery({{"charge_control_start_threshold", "90"},
                                         {"charge_control_end_threshold", "100"}}));
    } else if (family == u"system76") {
        module("system76_acpi");
        sysfs.addSupply("BAT0", battery(startEnd));
    } else if (family == u"framework") {
        // Set back to 0/100 at every probe.
        module("cros_charge_control");
        sysfs.addSupply("BAT1", battery({{"charge_control_start_threshold", "0"},
                                         {"charge_control_end_threshold", "100"}}));
    } else if (family == u"apple") {
        module("macsmc_power");
        sysfs.addSupply("macsmc-battery", battery({{"charge_control_start_threshold", "95"},
                                                   {"charge_control_end_threshold", "100"}}));
    } else if (family == u"sony") {
        // battery_care_limiter on the platform device: 0 (no limit), 50, 80, 100.
        module("sony_laptop");
        sysfs.addSupply("BAT0", battery());
        FakeSysfs::writeFile(sysfs.root() + "/devices/platform/sony-laptop/battery_care_limiter",
                             "0\n");
    } else if (family == u"ideapad" || family == u"ideapad-switch") {
        // The platform device's conservation_mode is there on every kernel,
        // reached through the bus's link as the ABI documents it; newer
        // kernels add Long_Life to the battery's charge_types.
        module("ideapad_laptop");
        sysfs.addSupply("BAT0", family == u"ideapad"
                                    ? battery({{"charge_types", "Fast [Standard] Long_Life"}})
                                    : battery());
        FakeSysfs::writeFile(sysfs.root() + "/devices/pci0000:00/PNP0C09:00/VPC2004:00/"
                                            "conservation_mode",
                             "0\n");
        QDir().mkpath(sysfs.root() + "/bus/platform/devices");
        QFile::link("../../../devices/pci0000:00/PNP0C09:00/VPC2004:00",
                    sysfs.root() + "/bus/platform/devices/VPC2004:00");
    } else if (family == LaptopFamily::behaviour().id) {
        // Only charge_behaviour, the active word in brackets; charged above
        // the limits the tests pick.
        sysfs.addSupply("BAT0",
                        battery({{"capacity", "85"},
                                 {"charge_behaviour", "[auto] inhibit-charge force-discharge"}}));
    } else if (family == LaptopFamily::generic().id) {
        sysfs.addSupply("BAT0", battery(endOnly));
    } else if (family == LaptopFamily::legacy().id) {
        sysfs.addSupply(
            "BAT0", battery({{"charge_start_threshold", "96"}, {"charge_stop_threshold", "100"}}));
    } else {
        return false;
    }
    return true;
}

QString FamilyFixtures::refusing(const QString &family)
{
    if (family == u"thinkpad" || family == u"system76")
        return "class/power_supply/BAT0/charge_control_start_threshold";
    if (family == u"dell")
        return "class/power_supply/BAT0/charge_types";
    if (family == u"ideapad-switch")
        return "devices/pci0000:00/PNP0C09:00/VPC2004:00/conservation_mode";
    if (family == u"wilco")
        return "class/power_supply/wilco-charger/charge_type";
    if (family == u"sony")
        return "devices/platform/sony-laptop/battery_care_limiter";
    if (family == LaptopFamily::legacy().id)
        return "class/power_supply/BAT0/charge_start_threshold";
    if (family == u"toshiba" || family == u"galaxybook" || family == u"msi" ||
        family == u"framework")
        return "class/power_supply/BAT1/charge_control_end_threshold";
    if (family == u"apple")
        return "class/power_supply/macsmc-battery/charge_control_end_threshold";
    return "class/power_supply/BAT0/charge_control_end_threshold";
}
