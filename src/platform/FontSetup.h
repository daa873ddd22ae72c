// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A short text that changes when fonts are installed, removed or configured
// anew: fontconfig refreshes its caches and configuration folders then, so
// their modification times tell without loading fontconfig itself.
namespace FontSetup
{
QString stamp();
} // namespace FontSetup
