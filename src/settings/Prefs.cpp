#include "settings/Prefs.h"

#include "settings/ConfigPaths.h"

namespace {
const QString showIconKey = QStringLiteral("showIcon");
const QString iconStyleKey = QStringLiteral("iconStyle");
const QString showPercentKey = QStringLiteral("showPercent");
const QString chosenLimitKey = QStringLiteral("chosenLimit");
} // namespace

SettingsStore &Prefs::d()
{
    static SettingsStore store(ConfigPaths::configDir() + QStringLiteral("/settings.json"));
    return store;
}

bool Prefs::showIcon() { return d().boolean(showIconKey, true); }

void Prefs::setShowIcon(bool value) { d().setBool(showIconKey, value); }

qint64 Prefs::iconStyle()
{
    if (const auto style = d().optionalInteger(iconStyleKey))
        return *style;
    return d().boolean(showPercentKey, false) ? 2 : 0;
}

void Prefs::setIconStyle(qint64 value) { d().setInteger(iconStyleKey, value); }

std::optional<qint64> Prefs::chosenLimit() { return d().optionalInteger(chosenLimitKey); }

void Prefs::setChosenLimit(std::optional<qint64> value)
{
    if (value)
        d().setInteger(chosenLimitKey, *value);
    else
        d().remove(chosenLimitKey);
}
