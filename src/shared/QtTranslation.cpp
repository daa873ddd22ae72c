// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool QtTranslation::install(QCoreApplication &app)
{
    // German whatever the session's locale: every text of ours is German too.
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
