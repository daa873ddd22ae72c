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
    std::optional<QList<qint64>> offeredLimits() override { return std::nullopt; }
    quint64 limitInForce() override;
    bool isLimitKept() override;

    std::optional<ChargeError> setLimit(quint8 limit) override;
    std::optional<ChargeError> suspendLimit() override;
    std::optional<ChargeError> resumeLimit() override;

private:
    HeldThreshold m_held;
};
