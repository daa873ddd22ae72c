// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/ThresholdControls.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

class StateStore;

// The charge thresholds the service owns, the family of the laptop that
// decides their rules, and the adapters whose going offline ends a
// suspension. What is in force is read as the agent reads it
// (ThresholdControls); writes go only to the attributes found by the last
// rescan().
class BatteryControl
{
public:
    explicit BatteryControl(QString sysfsRoot);

    void rescan();

    bool isSupported() const { return m_controls.isSupported(); }
    // Ascending; the last is always 100.
    const QList<int> &availableLimits() const { return m_limits; }
    // The end threshold in force on the first battery, as the driver reports
    // it: 100 when the thresholds do not act (the mode they need is off).
    std::optional<int> endThreshold() const { return m_controls.endThreshold(); }
    // Some battery's end threshold in force is not `target`.
    bool differsFrom(int target) const { return m_controls.differsFrom(target); }
    bool adapterOnline() const;

    struct Outcome {
        bool ok = false;
        int accepted = 100; // read back from the first battery
        QString failure;
    };
    // Sets every battery's end threshold to `target`, keeping the start valid
    // for the family and switching the charge mode the thresholds need on
    // (below 100) or back to the one found (at 100).
    Outcome apply(int target);

    // What a file watcher needs to see (moved sysfs root only).
    QStringList watchedFiles() const;
    QStringList watchedDirectories() const;

    // Takes the modes found before a limit was set from `store` and keeps
    // them there, so the mode is switched back also after a restart.
    void keepModesIn(const StateStore &store);

    // What was found, for --check.
    const LaptopFamily &family() const { return m_controls.family(); }
    QStringList batteryNames() const;
    // The threshold attributes, relative to class/power_supply (or the root).
    QStringList attributes() const;
    // A known family's driver is loaded but offers no thresholds here.
    const LaptopFamily *silentFamily() const { return m_controls.silentFamily(); }

private:
    using Control = ThresholdControls::Control;
    std::optional<QString> applyTo(const Control &control, int target);
    std::optional<QString> switchMode(const Control &control, int target);
    QString relative(const QString &path) const;

    ThresholdControls m_controls;
    QList<int> m_limits;
    const StateStore *m_store = nullptr;
    QMap<QString, QString> m_modesFound; // label → mode
};
