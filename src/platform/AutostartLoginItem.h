// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/LoginItem.h"

#include <QString>

// The login item as an XDG autostart entry, configHome/autostart/voltquill.desktop.
// Enabled: the file exists and does not say Hidden=true.
class AutostartLoginItem : public LoginItem
{
public:
    AutostartLoginItem(QString configHome, QString executable);

    QString path() const { return m_path; }

    bool isEnabled() const override;
    bool registerItem() override;
    bool unregisterItem() override;

private:
    QString m_path;
    QString m_executable;
};
