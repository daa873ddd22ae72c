// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StateStore.h"

#include <QString>
#include <QStringList>
#include <optional>

class BatteryControl;

// voltquill-charged --check: whether this laptop can keep a limit, which
// family and attributes were found, the limits on offer and what stands in
// the way, in German. Needs neither root nor a bus.
class ChargeCheck
{
public:
    // `otherWriters`: what ThresholdWriters::find() said.
    // `seen`: a firmware seen charging past the limit (the service's state).
    ChargeCheck(const BatteryControl &batteries, QStringList otherWriters,
                std::optional<StateStore::Overshoot> seen = std::nullopt);

    bool canKeepLimit() const;
    QString report() const;

    // Prints the report for the sysfs root and /etc of this machine (or
    // the moved ones); 0 when a limit can be kept, 1 otherwise.
    static int run();

private:
    QStringList obstacles() const;
    QStringList notes() const;
    QString way() const;

    const BatteryControl &m_batteries;
    QStringList m_otherWriters;
    std::optional<StateStore::Overshoot> m_seen;
};
