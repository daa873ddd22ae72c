// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/SystemSettingsPanes.h"

class QWidget;

namespace DesktopHint
{
// Opens the desktop's settings pane, or tells the user in a small dialog where
// to find it when the desktop cannot be asked to.
void open(SystemSettingsPanes *panes, SystemSettingsPanes::Pane pane, QWidget *parent);
} // namespace DesktopHint
