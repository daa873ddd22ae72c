// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/SysfsPaths.h"

QString SysfsPaths::sysfsRoot()
{
    const QString moved = qEnvironmentVariable("VOLTQUILL_SYSFS_ROOT");
    return moved.isEmpty() ? QStringLiteral("/sys") : moved;
}

QString SysfsPaths::powerSupplyDir(const QString &sysfsRoot)
{
    return sysfsRoot + QStringLiteral("/class/power_supply");
}

bool SysfsPaths::isMoved()
{
    return !qEnvironmentVariableIsEmpty("VOLTQUILL_SYSFS_ROOT");
}
