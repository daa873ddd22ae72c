#pragma once

#include "platform/PowerSupply.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The batteries whose end-of-charge threshold the service owns, and the
// adapters whose going offline ends a suspension. Writes go only to the
// threshold attributes found by the last rescan().
class BatteryControl
{
public:
    explicit BatteryControl(QString sysfsRoot);

    void rescan();

    bool isSupported() const { return !m_batteries.isEmpty(); }
    // Ascending; the last is always 100.
    const QList<int> &availableLimits() const { return m_limits; }
    // The end threshold of the first battery, as the driver reports it.
    std::optional<int> endThreshold() const;
    // Some battery's end threshold is not `target`.
    bool differsFrom(int target) const;
    bool adapterOnline() const;

    struct Outcome {
        bool ok = false;
        int accepted = 100; // read back from the first battery
        QString failure;
    };
    // Sets every battery's end threshold to `target`, lowering a start
    // threshold that would not stay below it first.
    Outcome apply(int target);

    // What a file watcher needs to see (moved sysfs root only).
    QStringList watchedFiles() const;
    QStringList watchedDirectories() const;

private:
    struct Battery {
        PowerSupply supply;
        const char *end;
        const char *start; // nullptr: the driver has none
    };
    std::optional<QString> applyTo(const Battery &battery, int target);

    QString m_sysfsRoot;
    QList<Battery> m_batteries;
    QList<PowerSupply> m_adapters;
    QList<int> m_limits;
};
