// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PlatformLog.h"

Q_LOGGING_CATEGORY(lcClient, "voltquill.client", QtInfoMsg)
Q_LOGGING_CATEGORY(lcEvents, "voltquill.events", QtInfoMsg)
