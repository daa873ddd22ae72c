// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>

// The time source of the core, so tests can stand at any instant.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
