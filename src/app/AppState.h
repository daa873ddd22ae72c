// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryInfo.h"
#include "app/ChargeClient.h"

#include <QObject>
#include <optional>

class BatteryRegistry;
class ChargeLimit;
class Clock;

// The one observable application state: the latest battery snapshot, the limit
// shown, whether it is engaged or suspended, and the last command's error.
// Every assignment of battery, limit, engaged or error is announced through
// changed(), also when the value stays the same.
class AppState : public QObject
{
    Q_OBJECT
public:
    AppState(ChargeLimit &chargeLimit, const BatteryRegistry &registry, const Clock &clock,
             QObject *parent = nullptr);

    const BatteryInfo &battery() const { return m_battery; }
    qint64 limit() const { return m_limit; }
    bool engaged() const { return m_engaged; }
    const std::optional<QString> &error() const { return m_error; }
    const QList<qint64> &options() const { return m_options; }
    // A command waits while polkit asks the user for a password.
    bool awaitingAuthorization() const { return m_awaitingAuthorization; }

    ChargeLimit &chargeLimit() const { return m_chargeLimit; }
    const Clock &clock() const { return m_clock; }

    void refresh();
    void setLimit(qint64 limit);
    void chargeFullOnce();
    void reEnable();

    QString statusLine() const;
    QString limitLine() const;
    std::optional<QString> scheduleLine() const;
    // What the menu shows while a command waits for the password.
    std::optional<QString> authorizationLine() const;

Q_SIGNALS:
    void changed();

private:
    void setBattery(const BatteryInfo &battery);
    void setLimitValue(qint64 limit);
    void setEngaged(bool engaged);
    void setError(std::optional<QString> error);
    void finishCommand(const std::optional<ChargeError> &failure, const char *errorFormat);

    ChargeLimit &m_chargeLimit;
    const BatteryRegistry &m_registry;
    const Clock &m_clock;
    BatteryInfo m_battery;
    qint64 m_limit = 100;
    bool m_engaged = true;
    std::optional<QString> m_error;
    QList<qint64> m_options;
    bool m_awaitingAuthorization = false;
};
