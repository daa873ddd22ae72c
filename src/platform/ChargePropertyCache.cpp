#include "platform/ChargePropertyCache.h"

namespace
{
const QString CurrentLimit = QStringLiteral("CurrentLimit");
const QString Enabled = QStringLiteral("Enabled");
} // namespace

ChargePropertyCache::ChargePropertyCache(QDBusConnection bus, const QString &service,
                                         const QString &path, const QString &interface,
                                         QObject *parent)
    : QObject(parent), m_interface(interface),
      m_watcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange)
{
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { drop(); });
    bus.connect(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this,
                SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
}

void ChargePropertyCache::store(const QVariantMap &properties)
{
    const QVariant limit = properties.value(CurrentLimit);
    const QVariant enabled = properties.value(Enabled);
    if (!limit.isValid() || !enabled.isValid()) {
        m_values.reset();
        return;
    }
    m_values = Values{static_cast<quint8>(limit.toUInt()), enabled.toBool()};
}

void ChargePropertyCache::propertiesChanged(const QString &interface, const QVariantMap &changed,
                                            const QStringList &invalidated)
{
    if (interface != m_interface || !m_values)
        return;
    if (invalidated.contains(CurrentLimit) || invalidated.contains(Enabled)) {
        m_values.reset();
        return;
    }
    if (const QVariant limit = changed.value(CurrentLimit); limit.isValid())
        m_values->currentLimit = static_cast<quint8>(limit.toUInt());
    if (const QVariant enabled = changed.value(Enabled); enabled.isValid())
        m_values->enabled = enabled.toBool();
}
