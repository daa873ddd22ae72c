// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/DesktopNames.h"

#include <QStringList>

bool DesktopNames::contains(const QString &list, QLatin1String name)
{
    const QStringList desktops = list.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &d : desktops)
        if (d.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
