// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AgentLog.h"

Q_LOGGING_CATEGORY(lcAgent, "voltquill.agent", QtInfoMsg)
