// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ChargePropertyCache.h"

namespace
{
const QString CurrentLimit = QStringLiteral("CurrentLimit");
const QString Enabled = QStringLiteral("Enabled");
const QString Suspended = QStringLiteral("Suspended");
const QString FirmwareIgnores = QStringLiteral("FirmwareIgnoresLimit");
} // namespace

ChargePropertyCache::ChargePropertyCache(QDBusConnection bus, const QString &service,
                                         const QString &path, const QString &interface,
                                         QObject *parent)
    : QObject(parent), m_interface(interface),
      m_watcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) {
                ownerChanged(newOwner);
            });
    bus.connect(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this,
                SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
}

void ChargePropertyCache::store(const QVariantMap &properties, const QString &owner)
{
    m_owner = owner;
    const QVariant limit = properties.value(CurrentLimit);
    const QVariant enabled = properties.value(Enabled);
    if (!limit.isValid() || !enabled.isValid()) {
        m_values.reset();
        return;
    }
    // Without the property a suspension cannot be ruled out.
    const QVariant suspended = properties.value(Suspended);
    m_values = Values{static_cast<quint8>(limit.toUInt()), enabled.toBool(),
                      !suspended.isValid() || suspended.toBool(),
                      static_cast<quint8>(properties.value(FirmwareIgnores).toUInt())};
}

void ChargePropertyCache::ownerChanged(const QString &newOwner)
{
    if (newOwner.isEmpty() ? m_values && m_values->suspended : newOwner != m_owner)
        m_values.reset();
}

void ChargePropertyCache::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                            const QStringList &invalidated)
{
    if (interface != m_interface || !m_values)
        return;
    if (invalidated.contains(CurrentLimit) || invalidated.contains(Enabled) ||
        invalidated.contains(Suspended)) {
        m_values.reset();
        return;
    }
    if (const QVariant limit = changed.value(CurrentLimit); limit.isValid())
        m_values->currentLimit = static_cast<quint8>(limit.toUInt());
    if (const QVariant enabled = changed.value(Enabled); enabled.isValid())
        m_values->enabled = enabled.toBool();
    if (const QVariant suspended = changed.value(Suspended); suspended.isValid())
        m_values->suspended = suspended.toBool();
    if (const QVariant ignores = changed.value(FirmwareIgnores); ignores.isValid())
        m_values->firmwareIgnores = static_cast<quint8>(ignores.toUInt());
}
