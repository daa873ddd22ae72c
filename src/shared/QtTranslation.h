// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

// Qt's own texts in German: the command-line parser's headings, the names of
// shortcuts in menus, the buttons of standard dialogs. They come from Qt's
// translation catalogue (Debian: qt6-translations-l10n), not from ours.
class QtTranslation
{
public:
    // Installs Qt's German catalogue into app, which owns it from then on.
    // False when the catalogue is not installed: Qt's texts stay English.
    static bool install(QCoreApplication &app);
};
