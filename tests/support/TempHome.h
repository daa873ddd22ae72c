// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// Moves XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_CACHE_HOME into a temporary folder, so a test
// never touches the real home. Create it before the first settings access.
class TempHome
{
public:
    TempHome()
    {
        qputenv("XDG_CONFIG_HOME", (m_dir.path() + QStringLiteral("/config")).toUtf8());
        qputenv("XDG_DATA_HOME", (m_dir.path() + QStringLiteral("/data")).toUtf8());
        qputenv("XDG_CACHE_HOME", (m_dir.path() + QStringLiteral("/cache")).toUtf8());
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};
