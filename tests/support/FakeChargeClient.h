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
    bool kept = false;  // a limit kept, in force or suspended
    quint8 ignored = 0; // the limit the firmware charges past; not recorded in `sent`
    bool suspended = false;
    std::optional<ChargeError> failure; // answer of every command while set
    bool acceptSetLimit = true;         // a successful setLimit changes `limit`
    QStringList sent;
    // What the agent gave to hear of waits for a password.
    std::function<void(bool)> authorizationWait;

    // The commands sent, without the queries.
    QStringList commands() const
    {
        QStringList result;
        for (const QString &call : sent)
            if (call.startsWith(QLatin1String("setLimit")) ||
                call == QLatin1String("suspendLimit") || call == QLatin1String("resumeLimit"))
                result << call;
        return result;
    }
    // The values of every setLimit, in order.
    QList<qint64> limitsSent() const
    {
        QList<qint64> result;
        for (const QString &call : sent)
            if (call.startsWith(QLatin1String("setLimit ")))
                result << call.mid(9).toLongLong();
        return result;
    }

    bool canHoldLimit() override { return log("canHoldLimit"), supported; }
    std::optional<QList<qint64>> offeredLimits() override { return log("offeredLimits"), limits; }
    quint64 limitInForce() override { return log("limitInForce"), suspended ? 100 : limit; }
    bool isLimitKept() override { return log("isLimitKept"), kept; }
    quint8 firmwareIgnoredLimit() override { return ignored; }
    std::optional<ChargeError> setLimit(quint8 value) override
    {
        log(QStringLiteral("setLimit %1").arg(value));
        if (!failure && acceptSetLimit) {
            limit = value;
            suspended = false;
        }
        return failure;
    }
    std::optional<ChargeError> suspendLimit() override
    {
        log("suspendLimit");
        if (!failure)
            suspended = true;
        return failure;
    }
    std::optional<ChargeError> resumeLimit() override
    {
        log("resumeLimit");
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
