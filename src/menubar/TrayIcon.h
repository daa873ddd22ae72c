// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <memory>

class SlotPictures;

// The icon in a panel, however the panel takes it: over D-Bus as a
// StatusNotifierItem, or as an XEmbed window in an X11 tray.
class TrayIcon
{
public:
    virtual ~TrayIcon() = default;

    // The slot sides in device pixels this host is handed pictures of; empty
    // where the host asks for its one size when it paints.
    virtual QList<int> slotPixels() const = 0;
    // The icon at `opacity`: its pictures for slotPixels(), or for the size
    // the host paints.
    virtual void setPictures(std::shared_ptr<const SlotPictures> pictures, qreal opacity) = 0;
    virtual void setToolTip(const QString &title, const QString &text) = 0;
    // Text beside the icon; `guide` is the widest text it will hold.
    virtual void setLabel(const QString &label, const QString &guide) = 0;
    // Whether the panel draws that text at all.
    virtual bool showsLabel() const = 0;
};
