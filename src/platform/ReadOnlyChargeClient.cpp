// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ReadOnlyChargeClient.h"

#include "app/ChargeLimit.h"

ReadOnlyChargeClient::ReadOnlyChargeClient(QString sysfsRoot) : m_held(std::move(sysfsRoot)) {}

std::optional<QList<qint64>> ReadOnlyChargeClient::availableChargeLimits()
{
    const QList<qint64> limits = m_held.offered();
    return limits.isEmpty() ? std::nullopt : std::optional<QList<qint64>>(limits);
}

quint64 ReadOnlyChargeClient::getMCLLimit()
{
    return static_cast<quint64>(m_held.limit().value_or(100));
}

qint64 ReadOnlyChargeClient::isMCLCurrentlyEnabled()
{
    return m_held.limit() ? 1 : 0;
}

std::optional<ChargeError> ReadOnlyChargeClient::setMCLLimit(quint8)
{
    return ChargeLimit::ownError();
}

std::optional<ChargeError> ReadOnlyChargeClient::temporarilyDisableMCL()
{
    return ChargeLimit::ownError();
}

std::optional<ChargeError> ReadOnlyChargeClient::enableMCL()
{
    return ChargeLimit::ownError();
}
