// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The power_supply class folder under the sysfs root, which
// VOLTQUILL_SYSFS_ROOT moves (default /sys).
namespace SysfsPaths
{
QString sysfsRoot();
QString powerSupplyDir(const QString &sysfsRoot);
bool isMoved(); // the root was moved: no udev events for it
} // namespace SysfsPaths
