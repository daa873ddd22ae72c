// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>

class PrivateBus;

// polkit on a private bus, played by a program of the test's:
// python3-dbusmock's polkitd, which allows what the test names, or a script
// that answers as the test needs. Ended when the stand-in goes.
class PolkitStandIn
{
public:
    explicit PolkitStandIn(const PrivateBus &bus) : m_bus(bus) {}
    ~PolkitStandIn() { stop(); }
    PolkitStandIn(const PolkitStandIn &) = delete;
    PolkitStandIn &operator=(const PolkitStandIn &) = delete;

    // python3-dbusmock's polkitd, allowing nothing until told (see allow()).
    bool startMock();
    // Whether the mock allows changing the charge limit.
    bool allow(bool allowed) const;
    // `script` run by python3 with `arguments`, owning polkit's bus name.
    bool startScript(const QString &script, const QStringList &arguments = {});
    // A method of the stand-in script's own (HeldChecks, DenyHeld, …) on
    // polkit's authority object; the reply or the error.
    QDBusMessage call(const QString &method) const;
    void stop();

private:
    const PrivateBus &m_bus;
    QProcess m_process;
};
