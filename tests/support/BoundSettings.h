// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Prefs.h"
#include "settings/SettingsStore.h"

// A settings store of the test's own at `filePath`, bound for the Prefs
// accessors while this lives.
class BoundSettings
{
public:
    explicit BoundSettings(const QString &filePath) : m_store(filePath) { Prefs::bind(&m_store); }
    ~BoundSettings() { Prefs::bind(nullptr); }
    BoundSettings(const BoundSettings &) = delete;
    BoundSettings &operator=(const BoundSettings &) = delete;

    SettingsStore &store() { return m_store; }

private:
    SettingsStore m_store;
};
