// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QtGlobal>
#include <optional>

// One monthly health record; `month` is the first instant of the local calendar
// month in seconds since 2001-01-01 00:00:00 UTC.
struct HealthSample {
    double month = 0;
    qint64 health = 0;
    qint64 cycles = 0;
    qint64 capacity = 0;

    double id() const { return month; }
    bool operator==(const HealthSample &) const = default;

    // 2001-01-01 00:00:00 UTC in seconds since the Unix epoch.
    static constexpr qint64 referenceEpoch = 978307200;

    // The compact JSON object with its keys in the order month, health,
    // cycles, capacity; whole-second months are written without a fraction.
    QByteArray toJson() const;
    // Months a battery can have been measured in: 1970 up to the end of 2100.
    // A month beyond them is a damaged or hand-made record, not a date.
    static constexpr double earliestMonth = -static_cast<double>(referenceEpoch);
    static constexpr double monthsEnd = 3155673600.0;

    // Needs all four keys: "month" a number within the months above, the
    // others integers in the 64-bit range; other keys are ignored.
    static std::optional<HealthSample> fromJson(const QJsonObject &object);
};
