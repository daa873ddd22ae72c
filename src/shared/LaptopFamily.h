// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

// What one kind of laptop driver does with charge thresholds: where they sit,
// which values it keeps, what must be switched on for them to act. Each entry
// follows the kernel's documentation of the driver (Documentation/ABI/testing/
// sysfs-class-power*, Documentation/admin-guide/laptops/) or its source;
// docs/families.md lists them with their sources.
struct LaptopFamily {
    enum class Place {
        Battery,  // the attributes sit in each battery's folder
        Supply,   // in one other power_supply folder (`supply`) for all batteries
        Platform, // in one file below the sysfs root (`platformFile`)
    };

    QString id;
    QString name;   // shown by --check
    QString module; // loaded (a folder under module/) on such laptops; empty: none
    QString supply; // a supply of this name marks the family; empty: none
    Place place = Place::Battery;
    QString platformFile; // relative to the sysfs root

    int endMin = 1;
    int endMax = 100;
    // The only ends the driver keeps (it refuses or rounds the others);
    // empty: every value of the range.
    QList<int> only;
    // The service writes the start; otherwise the firmware derives it.
    bool writesStart = true;
    int startMin = 0;
    int startMax = 99;
    int gap = 1; // end − start, at least
    // The charge mode the thresholds need ("Custom"), in `charge_types` or
    // `charge_type`; empty: thresholds always act.
    QString modeNeeded;
    // What the end attribute holds for "no limit" (100, or 0 on Sony).
    int offValue = 100;
    bool forgetsAtBoot = false;
    QString sinceKernel; // the first kernel whose driver offers the thresholds

    // A firmware switch instead of a threshold: on, the firmware holds its own
    // limit `held`; off, it charges fully. The switch is the end attribute
    // (`switchOn` turns it on, offValue off) or, with switchOn < 0, the charge
    // mode `modeNeeded` alone. 0: thresholds.
    int held = 0;
    int switchOn = -1;
    // The firmware's held value is the common one, not read from it: other
    // models of the family hold another.
    bool heldUncertain = false;
    // No threshold: the service holds the limit itself through each battery's
    // charge_behaviour, inhibiting the charge at the limit and allowing it
    // again `releaseGap` points below.
    bool byBehaviour = false;
    int releaseGap = 3;

    // The limits Voltquill offers: the default steps of 5 from 60 inside the
    // range, or the driver's own values; always ending with 100.
    QList<int> offeredLimits() const;
    // The start to write with `end`, or -1 when the present `start` may stay.
    int startFor(int end, int start) const;

    // Every family with a driver of its own, in the order they are tried.
    static const QList<LaptopFamily> &known();
    // A driver Voltquill does not know: the modern names.
    static const LaptopFamily &generic();
    // The older names charge_start_threshold / charge_stop_threshold.
    static const LaptopFamily &legacy();
    // A driver with charge_behaviour and no threshold.
    static const LaptopFamily &behaviour();
};
