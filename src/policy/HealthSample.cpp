// SPDX-License-Identifier: GPL-3.0-or-later
#include "policy/HealthSample.h"

#include <QJsonValue>
#include <QLocale>
#include <QVariant>
#include <cmath>

namespace
{
QByteArray numberText(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::abs(value) < 9.0e15)
        return QByteArray::number(static_cast<qint64>(value));
    // Shortest text that reads back as the same double.
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<qint64> exactInteger(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    // Integers the parser kept as integers are exact, beyond 2^53 as well.
    const QVariant v = value.toVariant();
    if (v.typeId() == QMetaType::LongLong)
        return v.toLongLong();
    const double d = value.toDouble();
    if (!std::isfinite(d) || d != std::trunc(d) || d < -9223372036854775808.0 ||
        d >= 9223372036854775808.0)
        return std::nullopt;
    return static_cast<qint64>(d);
}
} // namespace

QByteArray HealthSample::toJson() const
{
    QByteArray out;
    out.reserve(96);
    out += "{\"month\":";
    out += numberText(month);
    out += ",\"health\":";
    out += QByteArray::number(health);
    out += ",\"cycles\":";
    out += QByteArray::number(cycles);
    out += ",\"capacity\":";
    out += QByteArray::number(capacity);
    out += '}';
    return out;
}

std::optional<HealthSample> HealthSample::fromJson(const QJsonObject &object)
{
    const QJsonValue month = object.value(QLatin1String("month"));
    const auto health = exactInteger(object.value(QLatin1String("health")));
    const auto cycles = exactInteger(object.value(QLatin1String("cycles")));
    const auto capacity = exactInteger(object.value(QLatin1String("capacity")));
    if (!month.isDouble() || !health || !cycles || !capacity)
        return std::nullopt;
    const double m = month.toDouble();
    if (!(m >= earliestMonth && m < monthsEnd))
        return std::nullopt;
    return HealthSample{month.toDouble(), *health, *cycles, *capacity};
}
