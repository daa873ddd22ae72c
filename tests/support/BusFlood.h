// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QProcess>
#include <QStringList>

class PrivateBus;

// Another local user (uid 65534, "nobody") flooding the charge service with
// calls from connections of its own (voltquill-bus-flood). The bus must let
// other users in (PrivateBus::setPolicyFile). Ended when it goes.
class BusFlood
{
public:
    explicit BusFlood(const PrivateBus &bus) : m_bus(bus) {}
    ~BusFlood();
    BusFlood(const BusFlood &) = delete;
    BusFlood &operator=(const BusFlood &) = delete;

    // `arguments`: voltquill-bus-flood's options (--connections, --calls,
    // --no-reply, --interactive, --method). Returns once every call is sent.
    bool start(const QStringList &arguments, int timeoutMs = 60000);
    // How the calls were answered (error name or "ok" → count), once all are.
    QMap<QString, int> answers(int timeoutMs = 60000);

private:
    const PrivateBus &m_bus;
    QProcess m_process;
};
