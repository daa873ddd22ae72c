// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/SettingsTable.h"

#include <QString>

// The stored names of the settings.
namespace Key
{
#define VOLTQUILL_KEY(type, name, Name, fallback, reader)                                          \
    inline const QString name = QStringLiteral(#name);
VOLTQUILL_SETTINGS(VOLTQUILL_KEY)
#undef VOLTQUILL_KEY

inline QString scheduleDay(qint64 n)
{
    return QStringLiteral("schedule_") + QString::number(n);
}
} // namespace Key
