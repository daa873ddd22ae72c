// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// A failure of a charge-limit command, with its German description.
struct ChargeError {
    QString domain;
    qint64 code = 0;
    QString description;
    // The change holds but something around it failed (it was not saved for
    // the next start): the description is a warning, not a failure.
    bool tookEffect = false;
};

// The platform's charge-limit client: one synchronous message per member.
// Implementations must answer promptly (a hung service may not freeze the
// agent for long) and never throw.
class ChargeClient
{
public:
    virtual ~ChargeClient() = default;

    virtual bool isMCLSupported() = 0;
    // The limits offered, in the client's order; nothing on failure.
    virtual std::optional<QList<qint64>> availableChargeLimits() = 0;
    // The limit in force in percent (100 or more: none, or suspended).
    virtual quint64 getMCLLimit() = 0;
    // Non-zero counts as true.
    virtual qint64 isMCLCurrentlyEnabled() = 0;

    // Commands: nothing on success, else the failure (a client that refuses
    // without saying why answers with an empty description).
    virtual std::optional<ChargeError> setMCLLimit(quint8 limit) = 0;
    virtual std::optional<ChargeError> temporarilyDisableMCL() = 0;
    virtual std::optional<ChargeError> enableMCL() = 0;

    // Tells `handler` when a command starts (true) and ends (false) waiting
    // for the user to authenticate, while the event loop runs on. A client
    // that never waits for a person ignores it.
    virtual void setAuthorizationWaitHandler(std::function<void(bool waiting)> handler)
    {
        static_cast<void>(handler);
    }
};
