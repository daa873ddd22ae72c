// SPDX-License-Identifier: GPL-3.0-or-later
#include "CheckQuota.h"

#include <QDBusConnectionInterface>
#include <QDBusReply>

namespace
{
// A caller the bus no longer knows (it left) shares this one bucket.
constexpr uint UnknownUser = ~0U;
// Enough for every connection on a desktop; a flood of new connections only
// costs a lookup each once this is cleared.
constexpr int MaxKnownNames = 1024;
} // namespace

bool CheckQuota::hasRoom(const QString &busName)
{
    return m_total < MaxTotal && m_perUser.value(userOf(busName)) < MaxPerUser;
}

uint CheckQuota::take(const QString &busName)
{
    const uint user = userOf(busName);
    ++m_total;
    ++m_perUser[user];
    return user;
}

void CheckQuota::release(uint user)
{
    --m_total;
    if (--m_perUser[user] <= 0)
        m_perUser.remove(user);
}

uint CheckQuota::userOf(const QString &busName)
{
    const auto known = m_users.constFind(busName);
    if (known != m_users.constEnd())
        return *known;
    if (m_users.size() >= MaxKnownNames)
        m_users.clear();
    const QDBusReply<uint> reply = m_bus.interface()->serviceUid(busName);
    const uint user = reply.isValid() ? reply.value() : UnknownUser;
    m_users.insert(busName, user);
    return user;
}
