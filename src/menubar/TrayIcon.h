// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QString>

// The icon in a panel, however the panel takes it: over D-Bus as a
// StatusNotifierItem, or as an XEmbed window in an X11 tray.
class TrayIcon
{
public:
    virtual ~TrayIcon() = default;

    // The slot sides in device pixels this host may show; only these are drawn.
    virtual QList<int> slotPixels() const = 0;
    // One picture per side of slotPixels(), in that order.
    virtual void setPictures(const QList<QImage> &pictures) = 0;
    virtual void setToolTip(const QString &title, const QString &text) = 0;
    // Text beside the icon; `guide` is the widest text it will hold.
    virtual void setLabel(const QString &label, const QString &guide) = 0;
    // Whether the panel draws that text at all.
    virtual bool showsLabel() const = 0;
};
