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

    // How the limit is held.
    enum class Way {
        Threshold, // the driver's end threshold
        Switch,    // the firmware's own limit, switched on or off
        Behaviour, // the service stops the charge through charge_behaviour
    };

    void rescan();
    Way way() const;
    // Holds the limit through charge_behaviour also where the family has a
    // threshold (its firmware was seen ignoring it); false when no battery
    // offers charge_behaviour.
    bool holdByBehaviour(bool on);
    bool holdsByBehaviour() const { return family().byBehaviour || m_byBehaviour; }
    bool canHoldByBehaviour() const { return !m_controls.behaviours().isEmpty(); }
    // Some battery's charge_behaviour inhibits charging now.
    bool isInhibited() const;
    // A battery that charges and is above `above` percent.
    struct Charge {
        QString battery;
        int percent = 0;
    };
    std::optional<Charge> chargingAbove(int above) const;
    // Some battery charges (status Charging).
    bool isCharging() const;
    // Puts each battery's charge_behaviour where `target` wants it at its
    // charge; the failure, if a driver refused.
    std::optional<QString> steer(int target);
    // Some battery's end threshold in force (or switch) is not `target`.
    bool thresholdsDiffer(int target) const
    {
        return !family().byBehaviour && m_controls.differsFrom(target);
    }

    bool isSupported() const { return m_controls.isSupported(); }
    // Ascending; the last is always 100.
    const QList<int> &availableLimits() const { return m_limits; }
    // The end threshold in force on the first battery, as the driver reports
    // it: 100 when the thresholds do not act (the mode they need is off).
    std::optional<int> endThreshold() const { return m_controls.endThreshold(); }
    // Some battery does not hold `target`: its end threshold in force differs,
    // or its charge_behaviour is not where `target` wants it at its charge.
    bool differsFrom(int target) const;
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
    // them there, so the mode is switched back also after a restart; keeps
    // there, too, what each attribute held before its first write.
    void keepModesIn(const StateStore &store);
    // Puts back what the attributes held before Voltquill first wrote them
    // (the removal of the package): the kept values, else no limit. One
    // German line per attribute in `lines`; false when a write failed.
    bool restore(QStringList *lines);

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
    // The charge_behaviour `target` wants at `charge` of `control`'s battery;
    // empty where either may stay (between release and limit).
    QString behaviourFor(const Control &control, int target) const;
    std::optional<int> capacity(const Control &control) const;
    // Writes `text`, first keeping what the attribute held before.
    bool write(const QString &path, const QByteArray &text);
    QString relative(const QString &path) const;

    ThresholdControls m_controls;
    QList<int> m_limits;
    const StateStore *m_store = nullptr;
    QMap<QString, QString> m_modesFound; // label → mode
    QMap<QString, QString> m_found;      // relative path → value before the first write
    bool m_byBehaviour = false;
    bool m_restoring = false;
};
