#pragma once

#include "settings/SettingsStore.h"

#include <optional>

// Typed access to the display preferences and the chosen limit.
namespace Prefs {
// The one settings store of the process: settings.json in the application's
// XDG config folder ($XDG_CONFIG_HOME/Voltquill), created on first use.
SettingsStore &d();

bool showIcon();
void setShowIcon(bool value);

// "iconStyle" when it holds an integer (unchecked), else 2 or 0 from the
// earlier "showPercent" setting.
qint64 iconStyle();
void setIconStyle(qint64 value);

std::optional<qint64> chosenLimit();
void setChosenLimit(std::optional<qint64> value);
} // namespace Prefs
