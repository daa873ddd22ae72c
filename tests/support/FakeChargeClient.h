#pragma once

#include "app/ChargeClient.h"

#include <QStringList>

// A charge client whose answers a test sets, and which records what it was sent.
class FakeChargeClient : public ChargeClient
{
public:
    bool supported = true;
    std::optional<QList<qint64>> limits = QList<qint64>{80, 85, 90, 95, 100};
    quint64 reportedLimit = 100;
    qint64 enabled = 0;
    std::optional<ChargeError> failure; // answer of every command
    bool acceptSetLimit = true;         // a successful SetLimit changes reportedLimit
    QStringList sent;

    bool isMCLSupported() override { return log("isMCLSupported"), supported; }
    std::optional<QList<qint64>> availableChargeLimits() override
    {
        return log("availableChargeLimits"), limits;
    }
    quint64 getMCLLimit() override { return log("getMCLLimit"), reportedLimit; }
    qint64 isMCLCurrentlyEnabled() override { return log("isMCLCurrentlyEnabled"), enabled; }
    std::optional<ChargeError> setMCLLimit(quint8 limit) override
    {
        log(QStringLiteral("setMCLLimit %1").arg(limit));
        if (!failure && acceptSetLimit)
            reportedLimit = limit;
        return failure;
    }
    std::optional<ChargeError> temporarilyDisableMCL() override
    {
        return log("temporarilyDisableMCL"), failure;
    }
    std::optional<ChargeError> enableMCL() override { return log("enableMCL"), failure; }

private:
    void log(const QString &message) { sent << message; }
};
