// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/BatteryInfo.h"

#include "app/BatteryRegistry.h"

#include <cmath>
#include <initializer_list>
#include <limits>

namespace
{
struct Source {
    const QVariantMap &table;
    const char *key;
};

std::optional<qint64> asInteger(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::UShort:
    case QMetaType::UInt:
        return v.toLongLong();
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        if (v.toULongLong() > static_cast<quint64>(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return v.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || d < -9223372036854775808.0 ||
            d >= 9223372036854775808.0)
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> asBool(const QVariant &v)
{
    if (v.typeId() != QMetaType::Bool)
        return std::nullopt;
    return v.toBool();
}

std::optional<qint64> firstInteger(std::initializer_list<Source> sources)
{
    for (const Source &s : sources)
        if (const auto v = asInteger(s.table.value(QLatin1String(s.key))))
            return v;
    return std::nullopt;
}

bool boolOf(const QVariantMap &table, const char *key)
{
    return asBool(table.value(QLatin1String(key))).value_or(false);
}

QVariantMap tableOf(const QVariant &v)
{
    return v.typeId() == QMetaType::QVariantMap ? v.toMap() : QVariantMap();
}
} // namespace

BatteryInfo BatteryInfo::read(const BatteryRegistry &registry)
{
    return fromProperties(registry.copyProperties());
}

BatteryInfo BatteryInfo::fromProperties(const std::optional<QVariantMap> &properties)
{
    BatteryInfo b;
    if (!properties)
        return b;
    const QVariantMap &p = *properties;
    const QVariantMap d = tableOf(p.value(QStringLiteral("BatteryData")));

    b.percent = firstInteger({{p, "CurrentCapacity"}}).value_or(0);
    b.isCharging = boolOf(p, "IsCharging");
    b.pluggedIn = boolOf(p, "ExternalConnected");
    b.fullyCharged = boolOf(p, "FullyCharged");
    b.cycles = firstInteger({{p, "CycleCount"}}).value_or(0);
    b.designCapacity = firstInteger({{p, "DesignCapacity"}, {d, "DesignCapacity"}}).value_or(0);
    b.nominalCapacity = firstInteger({{p, "NominalChargeCapacity"},
                                      {d, "NominalChargeCapacity"},
                                      {p, "AppleRawMaxCapacity"},
                                      {d, "AppleRawMaxCapacity"}})
                            .value_or(0);
    b.temperatureC =
        static_cast<double>(firstInteger({{p, "Temperature"}, {d, "Temperature"}}).value_or(0)) /
        100.0;
    const QVariantMap adapter = tableOf(p.value(QStringLiteral("AdapterDetails")));
    b.adapterWatts = firstInteger({{adapter, "Watts"}}).value_or(0);

    if (b.designCapacity >= 1) {
        const double ratio =
            static_cast<double>(b.nominalCapacity) / static_cast<double>(b.designCapacity) * 100.0;
        // Clamped before the conversion: hand-made tables may hold extreme values.
        b.healthPercent = ratio >= 100.0     ? 100
                          : ratio <= -9.2e18 ? std::numeric_limits<qint64>::min()
                                             : static_cast<qint64>(std::round(ratio));
    }

    const qint64 minutes =
        firstInteger({{p, b.isCharging ? "AvgTimeToFull" : "AvgTimeToEmpty"}}).value_or(65535);
    if ((b.isCharging || !b.pluggedIn) && minutes >= 1 && minutes <= 65534)
        b.minutesRemaining = minutes;

    b.hasBattery = true;
    return b;
}
