// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QVariantMap>
#include <optional>

// The charge service's published state, kept current by its PropertiesChanged
// signals, so the agent's ticks need no round trip. Dropped when another
// process takes the service's name, and when the service leaves while a
// suspension was in force (the next read starts it again, so the suspension is
// watched). A service that left with nothing to watch (it exits when idle)
// left the batteries as published: the values stay, and ticks do not start
// it again just to hear them once more.
class ChargePropertyCache : public QObject
{
    Q_OBJECT
public:
    struct Values {
        quint8 currentLimit = 100;
        bool enabled = false;
        bool suspended = true;
        quint8 firmwareIgnores = 0; // FirmwareIgnoresLimit
    };

    ChargePropertyCache(QDBusConnection bus, const QString &service, const QString &path,
                        const QString &interface, QObject *parent = nullptr);

    const std::optional<Values> &values() const { return m_values; }
    // From a full read (GetAll) answered by `owner` (a unique bus name);
    // nothing if the map lacks a property.
    void store(const QVariantMap &properties, const QString &owner);
    void drop() { m_values.reset(); }

private Q_SLOTS:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated);
    void ownerChanged(const QString &newOwner);

private:
    QString m_interface;
    QDBusServiceWatcher m_watcher;
    std::optional<Values> m_values;
    // Who published them: the news of its own start may come after the read.
    QString m_owner;
};
