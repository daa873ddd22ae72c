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

    bool canHoldLimit() override { return false; }
    // What the laptop's family offers, so the menu shows the limit in force
    // among them; nothing without a threshold.
    std::optional<QList<qint64>> offeredLimits() override;
    quint64 limitInForce() override;
    bool limitIsFirmwareMode() override { return m_held.isFirmwareMode(); }
    bool isLimitKept() override;

    std::optional<ChargeError> setLimit(quint8 limit) override;
    std::optional<ChargeError> suspendLimit() override;
    std::optional<ChargeError> resumeLimit() override;

private:
    HeldThreshold m_held;
};
