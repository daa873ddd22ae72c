// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FontSetup.h"

#include "settings/ConfigPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString FontSetup::stamp()
{
    const QString home = QDir::homePath();
    const QString config = ConfigPaths::configHome();
    const QStringList places{
        QStringLiteral("/etc/fonts"),
        QStringLiteral("/etc/fonts/conf.d"),
        QStringLiteral("/var/cache/fontconfig"),
        ConfigPaths::cacheHome() + QStringLiteral("/fontconfig"),
        config + QStringLiteral("/fontconfig"),
        config + QStringLiteral("/fontconfig/conf.d"),
        config + QStringLiteral("/fontconfig/fonts.conf"),
        ConfigPaths::dataHome() + QStringLiteral("/fonts"),
        home + QStringLiteral("/.fonts"),
        home + QStringLiteral("/.fonts.conf"),
    };
    // The Qt version too: how outlines are taken from a font may change with it.
    QStringList parts{QString::fromLatin1(qVersion())};
    for (const QString &place : places) {
        const QFileInfo info(place);
        parts << (info.exists() ? QString::number(info.lastModified().toMSecsSinceEpoch())
                                : QStringLiteral("-"));
    }
    return parts.join(QLatin1Char(' '));
}
