#pragma once

#include "app/ChargeClient.h"

#include <QDBusConnection>
#include <memory>

class ChargePropertyCache;
class OrgVoltquillCharge1Interface;
class QDBusError;

// The charge client over D-Bus: a synchronous call to org.voltquill.Charge1,
// with a short timeout so a hung service cannot freeze the agent for long.
// The limit in force and whether one is kept are answered from the service's
// published properties once read, so a tick costs no round trip; a command
// drops them, as its result must be read back at once. A failed query gives
// the neutral answer; a failed command its German description.
class DBusChargeClient : public ChargeClient
{
public:
    static constexpr int QueryTimeoutMs = 1000;
    // Commands wait for polkit too.
    static constexpr int CommandTimeoutMs = 3000;

    explicit DBusChargeClient(QDBusConnection bus);
    ~DBusChargeClient() override;

    bool isMCLSupported() override;
    std::optional<QList<qint64>> availableChargeLimits() override;
    quint64 getMCLLimit() override;
    qint64 isMCLCurrentlyEnabled() override;

    std::optional<ChargeError> setMCLLimit(quint8 limit) override;
    std::optional<ChargeError> temporarilyDisableMCL() override;
    std::optional<ChargeError> enableMCL() override;

    // The German description of a failed call. `serviceGone`: the service's
    // name had no owner any more when the call failed.
    static ChargeError describe(const QDBusError &error, bool serviceGone);

private:
    template <typename Reply> std::optional<ChargeError> finish(Reply reply);
    // Reads the published properties unless they are known; false on failure.
    bool readProperties();

    QDBusConnection m_bus;
    std::unique_ptr<OrgVoltquillCharge1Interface> m_proxy;
    std::unique_ptr<ChargePropertyCache> m_properties;
};
