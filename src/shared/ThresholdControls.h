// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/LaptopFamily.h"
#include "shared/PowerSupply.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Where this laptop keeps its charge thresholds, by the rules of its family,
// and the end threshold in force: what the battery does, not merely what the
// end attribute holds (on Dell the thresholds wait for the Custom mode, Sony
// writes 0 for no limit). The service and the agent read through this one
// class, so they cannot tell different stories. Reads only; a rescan() finds
// the attributes again after supplies came or went.
class ThresholdControls
{
public:
    struct Control {
        QString label; // the supply (or device) the attributes belong to
        QString end;   // absolute paths; empty: none
        QString start;
        QString mode;
        // The battery's charge_behaviour where it can inhibit charging.
        QString behaviour;
    };

    // Nothing is sought before the first rescan().
    explicit ThresholdControls(QString sysfsRoot);

    void rescan();

    const QString &sysfsRoot() const { return m_sysfsRoot; }
    bool isSupported() const { return !m_controls.isEmpty(); }
    const QList<Control> &controls() const { return m_controls; }
    // Every battery whose charge_behaviour can inhibit charging (label and
    // behaviour set), whatever way the limit is held.
    const QList<Control> &behaviours() const { return m_behaviours; }
    const LaptopFamily &family() const { return *m_family; }
    // A known family's driver is loaded but offers no thresholds here.
    const LaptopFamily *silentFamily() const { return m_silent; }
    const QList<PowerSupply> &batteries() const { return m_batteries; }
    // The chargers (Mains, USB), not the supply that holds the thresholds.
    const QList<PowerSupply> &adapters() const { return m_adapters; }

    // 1–100, 100 when the thresholds do not act (the mode they need is off,
    // or the family's "no limit"); the firmware's held value while its switch
    // is on; nothing when the end is unreadable, and where only the service
    // holds the limit (charge_behaviour).
    std::optional<int> endInForce(const Control &control) const;
    // endInForce() of the first control: every battery is written alike.
    std::optional<int> endThreshold() const;
    // Some control's end in force is not `target`.
    bool differsFrom(int target) const;
    // The attributes whose change changes the end in force: end and mode.
    QStringList watchedFiles() const;

    // A short attribute's text, trimmed; nothing when unreadable or long.
    static std::optional<QByteArray> readText(const QString &path);
    static std::optional<int> readNumber(const QString &path);
    // The active entry of "Trickle Fast [Standard] Adaptive Custom"
    // (charge_types) or the single word of charge_type.
    static std::optional<QString> readMode(const QString &path);
    // The words of such a list, without the brackets.
    static QStringList modesOffered(const QString &path);
    // Real sysfs links each supply to its device below the same root; a path
    // that resolves elsewhere was planted.
    static bool insideRoot(const QString &path, const QString &root);

private:
    QList<Control> controlsFor(const LaptopFamily &family) const;

    QString m_sysfsRoot;
    QList<PowerSupply> m_batteries;
    QList<PowerSupply> m_adapters;
    const LaptopFamily *m_family;
    const LaptopFamily *m_silent = nullptr;
    QList<Control> m_controls;
    QList<Control> m_behaviours;
};
