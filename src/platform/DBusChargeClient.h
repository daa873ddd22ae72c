// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ChargeClient.h"
#include "platform/HeldThreshold.h"
#include "shared/ChargeBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <functional>
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
// a failed command its German description. A command polkit will allow only
// after asking the user (InteractiveAuthorizationRequired) is sent again with
// the interactive-authorisation flag, so the desktop's polkit agent asks for
// the password; meanwhile the event loop runs, so the tray stays alive, and
// the wait handler hears that the agent waits. A caller polkit allows
// outright is answered at the first call, without being asked.
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

    void setAuthorizationWaitHandler(std::function<void(bool waiting)> handler) override
    {
        m_authorizationWait = std::move(handler);
    }
    bool isWaitingForAuthorization() const { return m_waitingForPerson; }

    // The German description of a failed call. `serviceGone`: the service's
    // name had no owner any more when the call failed.
    static ChargeError describe(const QDBusError &error, bool serviceGone);

private:
    std::optional<ChargeError> command(const QString &method, const QVariantList &arguments,
                                       const QString &unsavedWarning);
    // `call` again, letting polkit ask the user, as long as a person may take.
    QDBusMessage askingPerson(QDBusMessage call);
    // Reads the published properties unless they are known; false on failure.
    bool readProperties();

    QDBusConnection m_bus;
    std::unique_ptr<OrgVoltquillCharge1Interface> m_proxy;
    std::unique_ptr<ChargePropertyCache> m_properties;
    HeldThreshold m_held;
    std::function<void(bool)> m_authorizationWait;
    bool m_waitingForPerson = false;
};
