// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/LaptopFamily.h"

#include <algorithm>

namespace
{
LaptopFamily family(QString id, QString name, QString module)
{
    LaptopFamily f;
    f.id = std::move(id);
    f.name = std::move(name);
    f.module = std::move(module);
    return f;
}

QList<LaptopFamily> table()
{
    QList<LaptopFamily> t;

    // thinkpad_acpi: start 0–99, end 1–100 per battery (BAT0, BAT1); the
    // embedded controller keeps them. It refuses a start above the end.
    auto thinkpad = family("thinkpad", "ThinkPad (thinkpad_acpi)", "thinkpad_acpi");
    thinkpad.sinceKernel = "5.9";
    t << thinkpad;

    // dell-laptop: BAT0 only; start 50–95, end 55–100, end ≥ start + 5 (the
    // driver clamps); the thresholds act only while charge_types is Custom.
    auto dell = family("dell", "Dell (dell-laptop)", "dell_laptop");
    dell.startMin = 50;
    dell.startMax = 95;
    dell.endMin = 55;
    dell.gap = 5;
    dell.modeNeeded = "Custom";
    dell.sinceKernel = "6.12";
    t << dell;

    // wilco_charger (Dell Chromebooks): one "wilco-charger" supply holds
    // charge_type and the thresholds for the whole machine; same ranges as
    // Dell; they act only in the Custom charge_type.
    auto wilco = dell;
    wilco.id = "wilco";
    wilco.name = "Chromebook mit Wilco-EC (wilco_charger)";
    wilco.module = "wilco_charger";
    wilco.supply = "wilco-charger";
    wilco.place = LaptopFamily::Place::Supply;
    wilco.sinceKernel = "5.2";
    t << wilco;

    // asus-wmi: the end only; many models write 100 at every boot and module
    // load, and some silently ignore every value but 40, 60, 80 and 100. Of
    // those, the ones a limit may take (60 and up) are offered.
    auto asus = family("asus", "ASUS (asus-wmi)", "asus_wmi");
    asus.writesStart = false;
    asus.only = {60, 80, 100};
    asus.forgetsAtBoot = true;
    asus.sinceKernel = "5.4";
    t << asus;

    // huawei-wmi: start 0–99 and end 1–100, start not above the end.
    auto huawei = family("huawei", "Huawei MateBook (huawei-wmi)", "huawei_wmi");
    huawei.sinceKernel = "5.5";
    t << huawei;

    // lg-laptop: the end only, 80 or 100; anything else is refused.
    auto lg = family("lg", "LG gram (lg-laptop)", "lg_laptop");
    lg.writesStart = false;
    lg.only = {80, 100};
    t << lg;

    // toshiba_acpi: the end only; below 90 the firmware's eco mode (80),
    // otherwise 100.
    auto toshiba = family("toshiba", "Toshiba/Dynabook (toshiba_acpi)", "toshiba_acpi");
    toshiba.writesStart = false;
    toshiba.only = {80, 100};
    toshiba.sinceKernel = "6.0";
    t << toshiba;

    // samsung-galaxybook: the end only, 1–100.
    auto galaxybook =
        family("galaxybook", "Samsung Galaxy Book (samsung-galaxybook)", "samsung_galaxybook");
    galaxybook.writesStart = false;
    galaxybook.sinceKernel = "6.15";
    t << galaxybook;

    // msi-ec: the end 10–100; the firmware sets the start to end − 10.
    auto msi = family("msi", "MSI (msi-ec)", "msi_ec");
    msi.writesStart = false;
    msi.endMin = 10;
    msi.sinceKernel = "6.3";
    t << msi;

    // system76_acpi: start and end, on BAT0; the embedded controller loses
    // them when it resets (power removed).
    auto system76 = family("system76", "System76 (system76_acpi)", "system76_acpi");
    system76.forgetsAtBoot = true;
    t << system76;

    // cros_charge-control (Framework and other Chromebook ECs): start and
    // end, start not above the end; set back to 0/100 whenever it probes.
    auto framework =
        family("framework", "Framework/ChromeOS-EC (cros_charge-control)", "cros_charge_control");
    framework.forgetsAtBoot = true;
    framework.sinceKernel = "6.12";
    t << framework;

    // macsmc_power (Apple silicon): the firmware knows 80 and 100 only and
    // derives the start itself.
    auto apple = family("apple", "Apple silicon (macsmc_power)", "macsmc_power");
    apple.supply = "macsmc-battery";
    apple.writesStart = false;
    apple.only = {80, 100};
    t << apple;

    // sony-laptop: battery_care_limiter on the platform device, 50, 80 or
    // 100, where 0 means no limit.
    auto sony = family("sony", "Sony VAIO (sony-laptop)", "sony_laptop");
    sony.place = LaptopFamily::Place::Platform;
    sony.platformFile = "devices/platform/sony-laptop/battery_care_limiter";
    sony.writesStart = false;
    sony.only = {50, 80, 100};
    sony.offValue = 0;
    t << sony;
    return t;
}
} // namespace

const QList<LaptopFamily> &LaptopFamily::known()
{
    static const QList<LaptopFamily> families = table();
    return families;
}

const LaptopFamily &LaptopFamily::generic()
{
    static const LaptopFamily f =
        family("generic", "Treiber mit charge_control_end_threshold", QString());
    return f;
}

const LaptopFamily &LaptopFamily::legacy()
{
    static const LaptopFamily f =
        family("legacy", "Treiber mit charge_stop_threshold (ältere Namen)", QString());
    return f;
}

QList<int> LaptopFamily::offeredLimits() const
{
    QList<int> limits;
    if (!only.isEmpty()) {
        limits = only;
    } else {
        for (int limit = 60; limit <= 100; limit += 5)
            if (limit >= endMin && limit <= endMax)
                limits.append(limit);
    }
    if (!limits.contains(100))
        limits.append(100);
    std::sort(limits.begin(), limits.end());
    return limits;
}

int LaptopFamily::startFor(int end, int start) const
{
    if (!writesStart)
        return -1;
    const int highest = std::min(startMax, end - gap);
    if (start >= startMin && start <= highest)
        return -1;
    // A start well below the end, so the battery is not topped up at once.
    return std::clamp(end - std::max(gap, 5), startMin, std::max(startMin, highest));
}
