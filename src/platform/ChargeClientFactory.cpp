// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ChargeClientFactory.h"

#include "platform/DBusChargeClient.h"
#include "platform/ReadOnlyChargeClient.h"
#include "shared/ChargeBus.h"
#include "shared/SysfsPaths.h"

#include <QDBusConnectionInterface>

namespace
{
// Starting the service may take a moment at boot; later calls are short.
constexpr int StartTimeoutMs = 5000;
} // namespace

QDBusConnection ChargeClientFactory::busFromEnvironment()
{
    return qEnvironmentVariable("VOLTQUILL_CHARGE_BUS") == u"session"
               ? QDBusConnection::sessionBus()
               : QDBusConnection::systemBus();
}

std::unique_ptr<ChargeClient> ChargeClientFactory::create()
{
    const QString sysfsRoot = SysfsPaths::sysfsRoot();
    if (auto client = create(busFromEnvironment(), sysfsRoot))
        return client;
    return std::make_unique<ReadOnlyChargeClient>(sysfsRoot);
}

std::unique_ptr<ChargeClient> ChargeClientFactory::create(const QDBusConnection &bus,
                                                          const QString &sysfsRoot)
{
    if (!bus.isConnected() || !bus.interface())
        return nullptr;
    const QDBusReply<bool> owned = bus.interface()->isServiceRegistered(ChargeBus::serviceName);
    if (!owned.isValid())
        return nullptr;
    if (!owned.value()) {
        const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
        if (!activatable.isValid() || !activatable.value().contains(ChargeBus::serviceName))
            return nullptr;
        QDBusMessage start = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("StartServiceByName"));
        start << ChargeBus::serviceName << 0u;
        // Its answer does not matter: a service that fails to start answers
        // every later call with an error.
        bus.call(start, QDBus::Block, StartTimeoutMs);
    }
    return std::make_unique<DBusChargeClient>(bus, sysfsRoot);
}
