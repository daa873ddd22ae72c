// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/ChargeClient.h"

#include <memory>

// A thin wrapper around the charge-limit client. Without a client every query
// has its fixed fallback and every command fails with the agent's own error.
class ChargeLimit
{
public:
    // `client` may be null: the client is absent for the whole run.
    explicit ChargeLimit(std::unique_ptr<ChargeClient> client);

    static const QList<qint64> &fallbackLimits(); // 80, 85, 90, 95, 100
    static ChargeError ownError();                // domain "Voltquill", code 1

    bool isSupported() const;
    QList<qint64> available() const;
    qint64 limit() const;
    bool isEngaged() const;

    // Nothing on success, else the failure.
    std::optional<ChargeError> setLimit(qint64 limit);
    std::optional<ChargeError> chargeToFullOnce();
    std::optional<ChargeError> reEnable();
    // See ChargeClient::setAuthorizationWaitHandler; without a client no one waits.
    void setAuthorizationWaitHandler(std::function<void(bool waiting)> handler);

private:
    std::optional<ChargeError> command(std::optional<ChargeError> (ChargeClient::*message)());

    std::unique_ptr<ChargeClient> m_client;
};
