// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ChargeClient.h"
#include "platform/HeldThreshold.h"

// The client when the charge service cannot be reached (not installed, no
// system bus): nothing can be changed, but the tray still shows the limit the
// battery keeps, as the kernel holds it, instead of claiming there is none.
class ReadOnlyChargeClient : public ChargeClient
{
public:
    explicit ReadOnlyChargeClient(QString sysfsRoot);

    bool isMCLSupported() override { return false; }
    // What the laptop's family offers, so the menu shows the limit in force
    // among them; nothing without a threshold.
    std::optional<QList<qint64>> availableChargeLimits() override;
    quint64 getMCLLimit() override;
    bool limitIsFirmwareMode() override { return m_held.isFirmwareMode(); }
    qint64 isMCLCurrentlyEnabled() override;

    std::optional<ChargeError> setMCLLimit(quint8 limit) override;
    std::optional<ChargeError> temporarilyDisableMCL() override;
    std::optional<ChargeError> enableMCL() override;

private:
    HeldThreshold m_held;
};
