// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the agent keeps its files, following the XDG base directories, so
// tests and demos move them with XDG_CONFIG_HOME and XDG_DATA_HOME.
namespace ConfigPaths
{
QString configHome(); // $XDG_CONFIG_HOME or ~/.config
QString dataHome();   // $XDG_DATA_HOME or ~/.local/share
QString cacheHome();  // $XDG_CACHE_HOME or ~/.cache
QString configDir();  // configHome()/Voltquill
} // namespace ConfigPaths
