// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// XDG_CURRENT_DESKTOP: a colon-separated list of the desktop and the ones it
// derives from.
class DesktopNames
{
public:
    static bool contains(const QString &list, QLatin1String name);
};
