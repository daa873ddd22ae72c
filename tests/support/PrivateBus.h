// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

// A dbus-daemon of the test's own, standing in for the system bus (and, for
// the session-bus cases, the session bus). Everyone may own and call anything.
class PrivateBus
{
public:
    // serviceDir: a folder of activation files the bus may start from.
    explicit PrivateBus(const QString &serviceDir = QString());
    ~PrivateBus();

    // The environment the daemon passes on to services it starts.
    void setDaemonEnvironment(const QProcessEnvironment &environment)
    {
        m_daemon.setProcessEnvironment(environment);
    }
    // Instead of letting everyone do anything: a system bus's defaults (no
    // one owns or calls anything) plus the given policy file.
    void setPolicyFile(const QString &path) { m_policyFile = path; }
    bool start();
    QString address() const { return m_address; }
    // The test's own connection to the bus.
    QDBusConnection connection() const;
    // The environment for a process that should see this bus as both buses.
    QProcessEnvironment environment() const;
    bool waitForName(const QString &name, int timeoutMs = 10000) const;
    // Starts python3-dbusmock's `templateName` as a system service on this bus
    // in `process` and waits for it to own `busName`.
    bool startMock(QProcess &process, const QString &templateName, const QString &busName) const;

private:
    QString m_serviceDir;
    QString m_policyFile;
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_connectionName;
};
