#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QVariantMap>
#include <optional>

// The charge service's published state, kept current by its PropertiesChanged
// signals, so the agent's ticks need no round trip. Dropped whenever the
// service's name changes owner (it exited, crashed or was restarted): a value
// is then only known again after the next read from the service.
class ChargePropertyCache : public QObject
{
    Q_OBJECT
public:
    struct Values {
        quint8 currentLimit = 100;
        bool enabled = false;
    };

    ChargePropertyCache(QDBusConnection bus, const QString &service, const QString &path,
                        const QString &interface, QObject *parent = nullptr);

    const std::optional<Values> &values() const { return m_values; }
    // From a full read (GetAll); nothing if the map lacks a property.
    void store(const QVariantMap &properties);
    void drop() { m_values.reset(); }

private Q_SLOTS:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &invalidated);

private:
    QString m_interface;
    QDBusServiceWatcher m_watcher;
    std::optional<Values> m_values;
};
