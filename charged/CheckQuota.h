// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QString>

// polkit checks in flight, counted per Unix user and in total. A check held
// for a password dialog can last minutes and costs a pending reply on the
// bus; counting per user rather than per connection keeps one user with many
// connections from taking the share of everyone else.
class CheckQuota
{
public:
    static constexpr int MaxPerUser = 4;
    static constexpr int MaxTotal = 64;

    explicit CheckQuota(QDBusConnection bus) : m_bus(std::move(bus)) {}

    // Whether `busName`'s user may start another check. Cheap after the
    // first call of a connection: its user is asked of the bus once.
    bool hasRoom(const QString &busName);
    // Counts a check for `busName`'s user and returns that user, for release().
    uint take(const QString &busName);
    void release(uint user);
    bool isEmpty() const { return m_total == 0; }

private:
    uint userOf(const QString &busName);

    QDBusConnection m_bus;
    QHash<QString, uint> m_users; // unique bus name → uid; names are never reused
    QHash<uint, int> m_perUser;
    int m_total = 0;
};
