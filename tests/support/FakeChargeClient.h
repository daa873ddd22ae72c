// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ChargeClient.h"

#include <QStringList>

// The charge service as the agent sees it, with answers a test sets. It keeps
// its limit like the service does: a suspension reads back as 100 until a
// limit is set or the limit is re-enabled. Every call, queries included, is
// recorded in `sent`.
class FakeChargeClient : public ChargeClient
{
public:
    bool supported = true;
    std::optional<QList<qint64>> limits = QList<qint64>{80, 85, 90, 95, 100};
    quint64 limit = 100;
    qint64 enabled = 0;
    bool suspended = false;
    std::optional<ChargeError> failure; // answer of every command while set
    bool acceptSetLimit = true;         // a successful setMCLLimit changes `limit`
    QStringList sent;
    // What the agent gave to hear of waits for a password.
    std::function<void(bool)> authorizationWait;

    // The commands sent, without the queries.
    QStringList commands() const
    {
        QStringList result;
        for (const QString &call : sent)
            if (call.startsWith(QLatin1String("setMCLLimit")) ||
                call == QLatin1String("temporarilyDisableMCL") ||
                call == QLatin1String("enableMCL"))
                result << call;
        return result;
    }
    // The values of every setMCLLimit, in order.
    QList<qint64> limitsSent() const
    {
        QList<qint64> result;
        for (const QString &call : sent)
            if (call.startsWith(QLatin1String("setMCLLimit ")))
                result << call.mid(12).toLongLong();
        return result;
    }

    bool isMCLSupported() override { return log("isMCLSupported"), supported; }
    std::optional<QList<qint64>> availableChargeLimits() override
    {
        return log("availableChargeLimits"), limits;
    }
    quint64 getMCLLimit() override { return log("getMCLLimit"), suspended ? 100 : limit; }
    qint64 isMCLCurrentlyEnabled() override { return log("isMCLCurrentlyEnabled"), enabled; }
    std::optional<ChargeError> setMCLLimit(quint8 value) override
    {
        log(QStringLiteral("setMCLLimit %1").arg(value));
        if (!failure && acceptSetLimit) {
            limit = value;
            suspended = false;
        }
        return failure;
    }
    std::optional<ChargeError> temporarilyDisableMCL() override
    {
        log("temporarilyDisableMCL");
        if (!failure)
            suspended = true;
        return failure;
    }
    std::optional<ChargeError> enableMCL() override
    {
        log("enableMCL");
        if (!failure)
            suspended = false;
        return failure;
    }

    void setAuthorizationWaitHandler(std::function<void(bool)> handler) override
    {
        authorizationWait = std::move(handler);
    }

private:
    void log(const QString &message) { sent << message; }
};
