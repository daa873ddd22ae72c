// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The agent's talk with the system: warnings by default, debug lines with
// QT_LOGGING_RULES. "voltquill.client": each call to the charge service and
// its answer; "voltquill.events": each power or wake event that leads to a
// tick.
Q_DECLARE_LOGGING_CATEGORY(lcClient)
Q_DECLARE_LOGGING_CATEGORY(lcEvents)
