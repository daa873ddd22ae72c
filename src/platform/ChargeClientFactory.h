// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ChargeClient.h"

#include <QDBusConnection>
#include <memory>

// Makes the agent's charge client. The service is absent when its name has no
// owner on the bus and the bus cannot start it.
class ChargeClientFactory
{
public:
    // The system bus, or the session bus with VOLTQUILL_CHARGE_BUS=session.
    static QDBusConnection busFromEnvironment();

    // Reads the batteries' thresholds below VOLTQUILL_SYSFS_ROOT (or /sys);
    // without the service, only reads them (ReadOnlyChargeClient).
    static std::unique_ptr<ChargeClient> create();
    // None without the service. `sysfsRoot` empty: the limit in force is the
    // service's published one.
    static std::unique_ptr<ChargeClient> create(const QDBusConnection &bus,
                                                const QString &sysfsRoot = {});
};
