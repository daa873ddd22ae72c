// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/SettingsTable.h"

#include <QString>
#include <QtGlobal>
#include <optional>

// What each setting reads as while it is missing or mistyped.
namespace Defaults
{
#define VOLTQUILL_DEFAULT(type, name, Name, fallback, reader) inline const type name = fallback;
VOLTQUILL_SETTINGS(VOLTQUILL_DEFAULT)
#undef VOLTQUILL_DEFAULT

inline constexpr qint64 scheduleLimit = VOLTQUILL_SCHEDULE_LIMIT_DEFAULT;
} // namespace Defaults
