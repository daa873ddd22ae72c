// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantList>

// One call to org.voltquill.Charge1 from the terminal. Commands let polkit
// ask for a password (the interactive-authorisation flag) unless told not
// to, and then wait as long as the service waits for a person.
class ChargeCall
{
public:
    ChargeCall(QDBusConnection bus, bool mayAskPassword);

    // A read: answered at once, or an error message.
    QDBusMessage query(const QString &method) const;
    // The interface's published properties; empty on failure.
    QVariantMap properties() const;
    // A command: the reply, or an error message.
    QDBusMessage command(const QString &method, const QVariantList &arguments = {}) const;
    // The German text for a failed call.
    QString describe(const QDBusMessage &error) const;

private:
    QDBusConnection m_bus;
    bool m_mayAskPassword;
};
