#pragma once

#include <QtGlobal>

// One monthly health record; `month` in seconds since 2001-01-01 UTC.
struct HealthSample {
    double month = 0;
    qint64 health = 0;
    qint64 cycles = 0;
    qint64 capacity = 0;

    double id() const { return month; }
    bool operator==(const HealthSample &) const = default;
};
