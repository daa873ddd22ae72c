// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// The agent's own log, "voltquill.agent": warnings by default;
// QT_LOGGING_RULES="voltquill.agent.debug=true" adds what each tick found.
Q_DECLARE_LOGGING_CATEGORY(lcAgent)
