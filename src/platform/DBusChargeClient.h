#pragma once

#include "app/ChargeClient.h"

#include <QDBusConnection>
#include <memory>

class OrgVoltquillCharge1Interface;
class QDBusError;

// The charge client over D-Bus: one synchronous call to org.voltquill.Charge1
// per message, with a short timeout so a hung service cannot freeze the agent
// for long. A failed query gives the neutral answer; a failed command its
// German description.
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

    QDBusConnection m_bus;
    std::unique_ptr<OrgVoltquillCharge1Interface> m_proxy;
};
