// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shared/ChargeBus.h"

#include <QDBusConnection>
#include <QObject>
#include <functional>

// Asks polkit whether a caller on the bus may perform an action. Every
// failure to get an answer (no polkit, an error) means denied; no answer in
// time is told apart, so the caller hears why.
class PolkitAuthority : public QObject
{
    Q_OBJECT
public:
    enum class Verdict { Allowed, Denied, ChallengeRequired, NoAnswer };

    // How long a check without a dialog may take. The agent waits 4 s for a
    // command (DBusChargeClient::CommandTimeoutMs): the answer must come
    // before it gives up, or a change it reports as failed would happen.
    static constexpr int QuietTimeoutMs = ChargeBus::quietPolkitWaitMs;
    // A person may take a while to type a password.
    static constexpr int InteractiveTimeoutMs = ChargeBus::personPolkitWaitMs;

    explicit PolkitAuthority(QDBusConnection bus, QObject *parent = nullptr);

    // `interactive`: polkit may ask the user (only when the caller's
    // message allows interactive authorisation).
    void check(const QString &busName, const QString &actionId, bool interactive,
               std::function<void(Verdict)> done);

private:
    QDBusConnection m_bus;
};
