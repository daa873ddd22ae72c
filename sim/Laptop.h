// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

// A simulated laptop: a power_supply tree (battery, mains adapter, optionally
// a USB-PD source) in a folder, evolved like firmware would. The tree stays
// the truth: "online" and "capacity" written from outside are taken over at
// the next step, and the end threshold is read at every step.
class Laptop
{
public:
    struct Options {
        QString root; // the moved sysfs root
        QString battery = QStringLiteral("BAT0");
        bool chargeUnits = false; // charge_* (µAh) instead of energy_* (µWh)
        bool legacyNames = false; // charge_stop_threshold / charge_start_threshold
        int startThreshold = -1;  // -1: the driver has none
        int roundTo = 1;          // the firmware keeps only multiples of this
        // The driver takes the threshold, the firmware charges past it.
        bool ignoresThreshold = false;
        // charge_behaviour (auto, inhibit-charge, force-discharge) beside
        // the thresholds, or instead of them.
        bool chargeBehaviour = false;
        bool behaviourOnly = false;
        double fullWh = 50.0;
        double designWh = 57.0;
        double chargeWatts = 30.0;
        double drainWatts = 8.0;
        int cycles = 120;
    };

    explicit Laptop(Options options);

    // Creates the tree, keeping a level, plug state and thresholds found there.
    bool create(QString *error);
    // Advances the simulated clock by `seconds` and rewrites what changed.
    void step(double seconds);

    void setPlugged(bool plugged);
    void setLevel(double percent);
    void setPdWatts(int watts); // 0: no USB-PD source
    void setEndThreshold(int percent);
    // Writes charge_behaviour as another program would; false for a word
    // the driver does not know, or without charge_behaviour.
    bool setBehaviour(const QString &word);
    void addModule(const QString &name);

    QString statusLine() const;

private:
    QString supplyDir(const QString &name) const;
    QString endAttribute() const;
    QString startAttribute() const;
    int readNumber(const QString &path, int fallback) const;
    void write(const QString &path, const QByteArray &content);
    bool changedOutside(const QString &path) const;
    void takeOverOutsideChanges();
    void writeTree();
    int endThreshold();
    QString behaviourAttribute() const;
    // The active word of charge_behaviour, rewritten as the kernel lists it.
    QString behaviour();

    Options m_options;
    double m_level = 50.0;
    bool m_plugged = true;
    bool m_charging = false;
    int m_pdWatts = 0;
    double m_dischargedPercent = 0.0;
    double m_watts = 0.0;
    QString m_status = QStringLiteral("Unknown");
    QHash<QString, QByteArray> m_written;
};
