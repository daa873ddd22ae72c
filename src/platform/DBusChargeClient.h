// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ChargeClient.h"
#include "platform/HeldThreshold.h"
#include "shared/ChargeBus.h"

#include <QDBusConnection>
#include <memory>

class ChargePropertyCache;
class OrgVoltquillCharge1Interface;
class QDBusError;

// The charge client over D-Bus: a synchronous call to org.voltquill.Charge1,
// with a short timeout so a hung service cannot freeze the agent for long.
// The limit in force is the battery's end threshold in force, read from sysfs
// by the family's rules the service follows too (no privilege needed, and no
// call that would keep the idle service awake): what the kernel holds is what
// the battery does, whoever set it. Whether a
// limit is suspended is the service's to know: answered from its published
// properties once read, so a tick costs no round trip; a command drops them,
// as its result must be read back at once. Without a readable threshold the
// service's published limit counts. A failed query gives the neutral answer;
// a failed command its German description.
class DBusChargeClient : public ChargeClient
{
public:
    static constexpr int QueryTimeoutMs = 1000;
    // Commands wait for polkit too: the service gives polkit 2 s
    // (PolkitAuthority::QuietTimeoutMs) and answers within this wait.
    static constexpr int CommandTimeoutMs = ChargeBus::commandWaitMs;

    // `sysfsRoot`: where the batteries' thresholds are read; empty: the
    // service's published limit counts.
    explicit DBusChargeClient(QDBusConnection bus, QString sysfsRoot = {});
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
    template <typename Reply>
    std::optional<ChargeError> finish(Reply reply, const QString &unsavedWarning);
    // Reads the published properties unless they are known; false on failure.
    bool readProperties();

    QDBusConnection m_bus;
    std::unique_ptr<OrgVoltquillCharge1Interface> m_proxy;
    std::unique_ptr<ChargePropertyCache> m_properties;
    HeldThreshold m_held;
};
