// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Clock.h"

class SystemClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
