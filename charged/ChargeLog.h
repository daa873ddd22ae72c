// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The service's log, "voltquill.charge": warnings and notes by default;
// QT_LOGGING_RULES="voltquill.charge.debug=true" adds every threshold write
// and its read-back, each reset put back, each suspension and each polkit
// decision.
Q_DECLARE_LOGGING_CATEGORY(lcCharge)

namespace ChargeLog
{
// Under systemd, stderr goes to the journal: each line starts with its
// priority (<4> for a warning) so `journalctl -p warning` finds it. A
// pattern the user set stays.
void useJournalPriorities();
} // namespace ChargeLog
