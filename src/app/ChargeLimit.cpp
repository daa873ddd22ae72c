// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ChargeLimit.h"

#include "app/L.h"

ChargeLimit::ChargeLimit(std::unique_ptr<ChargeClient> client) : m_client(std::move(client)) {}

void ChargeLimit::setAuthorizationWaitHandler(std::function<void(bool waiting)> handler)
{
    if (m_client)
        m_client->setAuthorizationWaitHandler(std::move(handler));
}

const QList<qint64> &ChargeLimit::fallbackLimits()
{
    static const QList<qint64> limits{80, 85, 90, 95, 100};
    return limits;
}

ChargeError ChargeLimit::ownError()
{
    return {QStringLiteral("Voltquill"), 1,
            L("Der Ladedienst voltquill-charged ist nicht erreichbar (Voltquill-Fehler 1).")};
}

bool ChargeLimit::isSupported() const
{
    return m_client && m_client->isMCLSupported();
}

QList<qint64> ChargeLimit::available() const
{
    if (!m_client)
        return fallbackLimits();
    const auto limits = m_client->availableChargeLimits();
    if (!limits || limits->isEmpty())
        return fallbackLimits();
    return *limits;
}

qint64 ChargeLimit::limit() const
{
    if (!m_client)
        return 100;
    const quint64 value = m_client->getMCLLimit();
    // Anything beyond the signed range means "no limit" just as 100 does.
    return value > 100 ? 100 : static_cast<qint64>(value);
}

bool ChargeLimit::isEngaged() const
{
    return m_client && m_client->isMCLCurrentlyEnabled() != 0;
}

namespace
{
std::optional<ChargeError> described(std::optional<ChargeError> error)
{
    if (error && error->description.isEmpty())
        error->description = L("Der Ladedienst hat den Befehl abgelehnt.");
    return error;
}
} // namespace

std::optional<ChargeError> ChargeLimit::setLimit(qint64 limit)
{
    if (!m_client)
        return ownError();
    // The client takes an unsigned byte; a hand-edited value must not wrap.
    if (limit < 0 || limit > 255)
        return ChargeError{QStringLiteral("Voltquill"), 2,
                           L("Ungültiges Ladelimit: %lld %%", limit)};
    return described(m_client->setMCLLimit(static_cast<quint8>(limit)));
}

std::optional<ChargeError> ChargeLimit::chargeToFullOnce()
{
    return command(&ChargeClient::temporarilyDisableMCL);
}

std::optional<ChargeError> ChargeLimit::reEnable()
{
    return command(&ChargeClient::enableMCL);
}

std::optional<ChargeError>
ChargeLimit::command(std::optional<ChargeError> (ChargeClient::*message)())
{
    if (!m_client)
        return ownError();
    return described((m_client.get()->*message)());
}
