// SPDX-License-Identifier: GPL-3.0-or-later
// sysfs attribute values: whatever a driver (or a broken one) writes.
// The input is split at NUL bytes into the values of a battery, an adapter and
// a USB-PD source.
#include "app/BatteryInfo.h"
#include "platform/SysfsBatteryRegistry.h"
#include "support/SysfsTree.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const char *const battery[] = {"type",
                                          "status",
                                          "capacity",
                                          "cycle_count",
                                          "voltage_min_design",
                                          "voltage_max_design",
                                          "voltage_now",
                                          "energy_full_design",
                                          "energy_full",
                                          "energy_now",
                                          "power_now",
                                          "charge_full_design",
                                          "charge_full",
                                          "charge_now",
                                          "current_now",
                                          "temp",
                                          "time_to_full_now",
                                          "time_to_empty_now",
                                          "present",
                                          "scope"};
    static const char *const adapter[] = {"type", "online", "scope"};
    static const char *const usb[] = {"type", "online", "voltage_max", "current_max"};

    const QList<QByteArray> values =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size))
            .split('\0');
    qsizetype next = 0;
    auto value = [&]() {
        return next < values.size() ? QString::fromLatin1(values.at(next++)) : QString();
    };

    SysfsTree tree;
    for (const char *a : battery)
        tree.set(QStringLiteral("BAT0"), QLatin1String(a), value());
    for (const char *a : adapter)
        tree.set(QStringLiteral("AC"), QLatin1String(a), value());
    for (const char *a : usb)
        tree.set(QStringLiteral("ucsi-source-psy-1"), QLatin1String(a), value());

    const BatteryInfo info = BatteryInfo::read(SysfsBatteryRegistry(tree.root()));
    if (info.healthPercent > 100)
        __builtin_trap();
    return 0;
}
