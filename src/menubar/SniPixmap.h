// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QString>

// (iiay): a picture as a StatusNotifierItem hands it to the panel: ARGB32 in
// network byte order, row by row.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray data;

    static SniPixmap fromImage(const QImage &image);
};

// (sa(iiay)ss): the item's tooltip.
struct SniToolTip {
    QString iconName;
    QList<SniPixmap> pixmaps;
    QString title;
    QString text;
};

QDBusArgument &operator<<(QDBusArgument &arg, const SniPixmap &pixmap);
const QDBusArgument &operator>>(const QDBusArgument &arg, SniPixmap &pixmap);
QDBusArgument &operator<<(QDBusArgument &arg, const SniToolTip &tip);
const QDBusArgument &operator>>(const QDBusArgument &arg, SniToolTip &tip);

Q_DECLARE_METATYPE(SniPixmap)
Q_DECLARE_METATYPE(SniToolTip)

// Makes the types above known to Qt D-Bus; safe to call more than once.
void registerSniTypes();
