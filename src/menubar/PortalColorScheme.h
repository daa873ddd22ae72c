// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "menubar/PanelColour.h"

#include <QObject>

class QDBusVariant;

// The freedesktop appearance setting "color-scheme", read from the settings
// portal without waiting for it and followed while it changes. A portal that
// is not running is not started for this.
class PortalColorScheme : public QObject
{
    Q_OBJECT
public:
    explicit PortalColorScheme(QObject *parent = nullptr);

    // Asks the portal; the answer arrives as `changed`.
    void start();
    PanelColour::Scheme scheme() const { return m_scheme; }

    // 1 prefers dark, 2 light; anything else says nothing.
    static PanelColour::Scheme fromValue(const QVariant &value);

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    void settingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void take(PanelColour::Scheme scheme);

    PanelColour::Scheme m_scheme = PanelColour::Scheme::unknown;
    bool m_started = false;
};
