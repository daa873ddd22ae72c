#pragma once

#include "app/ChargeClient.h"

#include <QStringList>

// A charge-limit client that keeps its limit in memory, like the service does:
// a suspension reads back as 100 until it is re-enabled.
class FakeChargeClient : public ChargeClient
{
public:
    bool supported = true;
    QList<qint64> limits{80, 85, 90, 95, 100};
    quint64 limit = 100;
    bool suspended = false;
    std::optional<ChargeError> failure; // answered by every command while set
    QStringList calls;

    bool isMCLSupported() override { return supported; }
    std::optional<QList<qint64>> availableChargeLimits() override { return limits; }
    quint64 getMCLLimit() override { return suspended ? 100 : limit; }
    qint64 isMCLCurrentlyEnabled() override { return 1; }

    std::optional<ChargeError> setMCLLimit(quint8 value) override
    {
        calls << QStringLiteral("setMCLLimit %1").arg(value);
        if (failure)
            return failure;
        limit = value;
        suspended = false;
        return std::nullopt;
    }
    std::optional<ChargeError> temporarilyDisableMCL() override
    {
        calls << QStringLiteral("temporarilyDisableMCL");
        if (failure)
            return failure;
        suspended = true;
        return std::nullopt;
    }
    std::optional<ChargeError> enableMCL() override
    {
        calls << QStringLiteral("enableMCL");
        if (failure)
            return failure;
        suspended = false;
        return std::nullopt;
    }
};
