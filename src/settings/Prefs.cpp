// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Prefs.h"

#include <QtGlobal>

namespace
{
SettingsStore *bound = nullptr;
} // namespace

SettingsStore &Prefs::d()
{
    if (!bound)
        qFatal("Voltquill: no settings store bound");
    return *bound;
}

void Prefs::bind(SettingsStore *store)
{
    bound = store;
}

qint64 Prefs::iconStyle()
{
    if (const auto style = d().optionalInteger(Key::iconStyle))
        return *style;
    return showPercent() ? 2 : 0;
}
