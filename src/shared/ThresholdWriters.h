// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>

// Other programs that write the batteries' charge thresholds: TLP with
// thresholds in its configuration, UPower with its charge-threshold switch on.
// Two writers fight over one value; Voltquill says so instead of joining in.
class ThresholdWriters
{
public:
    // Where TLP's configuration is read: VOLTQUILL_ETC_ROOT, default /etc.
    static QString configRoot();

    // One German sentence per program found. `bus` may be disconnected: then
    // UPower is not asked.
    static QStringList find(const QString &configRoot, const QStringList &batteries,
                            const QDBusConnection &bus);
    // find() for this machine: its batteries under `sysfsRoot`, /etc (or
    // the moved root) and the system bus.
    static QStringList onThisMachine(const QString &sysfsRoot);

    // The TLP settings that set a threshold, with the file that sets them
    // last ("STOP_CHARGE_THRESH_BAT0 in /etc/tlp.conf").
    static QStringList tlpSettings(const QString &configRoot);
    // UPower keeps a threshold on one of `batteries` (sysfs names).
    static bool upowerKeepsThreshold(const QDBusConnection &bus, const QStringList &batteries);
};
