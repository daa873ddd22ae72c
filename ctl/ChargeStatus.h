// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class ChargeCall;

// What `voltquillctl status` shows: the batteries and the threshold read from
// sysfs by the family's rules (as the tray reads them), and from the service
// the kept limit, a suspension and the limits on offer.
class ChargeStatus
{
public:
    // `systemBus`: where UPower is asked whether it writes the threshold.
    static ChargeStatus read(const ChargeCall &call, const QString &sysfsRoot,
                             const QDBusConnection &systemBus);

    // The service answered; without it only sysfs speaks.
    bool serviceAnswered() const { return m_service; }
    QString text() const;
    QJsonObject json() const;

private:
    struct Battery {
        QString name;
        std::optional<int> capacity;
        QString status; // as sysfs says it: Charging, Discharging, Full, …
    };
    // The limit in force in percent: the threshold, else the service's.
    int limitInForce() const;
    QString heldBy() const;

    QList<Battery> m_batteries;
    std::optional<bool> m_adapterOnline;
    std::optional<int> m_threshold; // the end threshold in force; 100: none
    QStringList m_thresholdFiles;
    QString m_family;
    QStringList m_otherWriters;
    bool m_service = false;
    bool m_supported = false;
    int m_currentLimit = 100;
    int m_keptLimit = 100;
    bool m_suspended = false;
    QList<int> m_offered;
};
