// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Clock.h"

#include <QDateTime>

// A clock that stands where the test puts it; by default on a Monday morning.
class FixedClock : public Clock
{
public:
    QDateTime at = QDateTime(QDate(2026, 3, 9), QTime(10, 0));
    QDateTime now() const override { return at; }
};
