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

// The charge service as the agent sees it: one synchronous message per member.
// Implementations must answer promptly (a hung service may not freeze the
// agent for long) and never throw.
class ChargeClient
{
public:
    virtual ~ChargeClient() = default;

    // Whether this laptop's battery can keep a limit at all.
    virtual bool canHoldLimit() = 0;
    // The limits offered, in the client's order; nothing on failure.
    virtual std::optional<QList<qint64>> offeredLimits() = 0;
    // The limit in force in percent (100 or more: none, or suspended).
    virtual quint64 limitInForce() = 0;
    // Whether a limit is kept: in force, or suspended until the charger is
    // unplugged (then limitInForce() says 100).
    virtual bool isLimitKept() = 0;
    // The limit in force that the firmware was seen charging past; 0: none
    // seen, or a client that cannot tell.
    virtual quint8 firmwareIgnoredLimit() { return 0; }
    // The limit is the firmware's own mode switched on (an IdeaPad's
    // conservation mode), holding about the limit shown.
    virtual bool limitIsFirmwareMode() { return false; }

    // Commands: nothing on success, else the failure (a client that refuses
    // without saying why answers with an empty description).
    virtual std::optional<ChargeError> setLimit(quint8 limit) = 0;
    virtual std::optional<ChargeError> suspendLimit() = 0;
    virtual std::optional<ChargeError> resumeLimit() = 0;

    // Tells `handler` when a command starts (true) and ends (false) waiting
    // for the user to authenticate, while the event loop runs on. A client
    // that never waits for a person ignores it.
    virtual void setAuthorizationWaitHandler(std::function<void(bool waiting)> handler)
    {
        static_cast<void>(handler);
    }
};
