// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigPaths.h"

#include <QDir>

namespace
{
QString fromEnv(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    // The XDG spec ignores relative paths.
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? value : QDir::homePath() + fallback;
}
} // namespace

QString ConfigPaths::configHome()
{
    return fromEnv("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString ConfigPaths::dataHome()
{
    return fromEnv("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

QString ConfigPaths::cacheHome()
{
    return fromEnv("XDG_CACHE_HOME", QStringLiteral("/.cache"));
}

QString ConfigPaths::configDir()
{
    return configHome() + QStringLiteral("/Voltquill");
}
