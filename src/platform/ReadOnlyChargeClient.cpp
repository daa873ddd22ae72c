// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadOnlyChargeClient.h"

#include "app/ChargeLimit.h"

ReadOnlyChargeClient::ReadOnlyChargeClient(QString sysfsRoot) : m_held(std::move(sysfsRoot)) {}

std::optional<QList<qint64>> ReadOnlyChargeClient::offeredLimits()
{
    const QList<qint64> limits = m_held.offered();
    return limits.isEmpty() ? std::nullopt : std::optional<QList<qint64>>(limits);
}

quint64 ReadOnlyChargeClient::limitInForce()
{
    return static_cast<quint64>(m_held.limit().value_or(100));
}

bool ReadOnlyChargeClient::isLimitKept()
{
    return m_held.limit().has_value();
}

std::optional<ChargeError> ReadOnlyChargeClient::setLimit(quint8)
{
    return ChargeLimit::ownError();
}

std::optional<ChargeError> ReadOnlyChargeClient::suspendLimit()
{
    return ChargeLimit::ownError();
}

std::optional<ChargeError> ReadOnlyChargeClient::resumeLimit()
{
    return ChargeLimit::ownError();
}
