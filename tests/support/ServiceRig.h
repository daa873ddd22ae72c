// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/FakeSysfs.h"
#include "support/PolkitStandIn.h"
#include "support/PrivateBus.h"
#include "support/ServiceProcess.h"

#include <QDBusConnection>
#include <QTemporaryDir>
#include <memory>

// What every test that starts the real service sets up: a fake sysfs tree, a
// state folder, a private bus, polkit played on it and voltquill-charged over
// them. The bus and polkit live as long as the rig; the files and the service
// can be made anew for each test case (renew()).
class ServiceRig
{
public:
    // Session: the service on the session bus, the caller's own, no polkit.
    enum class Mode { System, Session };

    // The files are there at once; the bus from start().
    explicit ServiceRig(Mode mode, const QString &policyFile = QString());
    ServiceRig(const ServiceRig &) = delete;
    ServiceRig &operator=(const ServiceRig &) = delete;

    // Starts the bus (under the policy file, if given) and makes the service,
    // not yet started; false when dbus-daemon did not come up.
    bool start();
    // As start(), and the bus starts the service on demand with `arguments`
    // (D-Bus activation) over the rig's files as they are now.
    bool startActivatable(const QByteArray &arguments = {});
    // A new sysfs tree and state folder, and a service over them not yet
    // started; the bus and polkit stay.
    void renew();
    // The service process made anew over the same files, as the system starts
    // it again after a crash, or over `stateDir` instead of the rig's state
    // folder; not yet started.
    void renewService(const QString &stateDir = QString());

    PrivateBus &bus() { return *m_bus; }
    const PrivateBus &bus() const { return *m_bus; }
    QDBusConnection connection() const { return m_bus->connection(); }
    PolkitStandIn &polkit() { return *m_polkit; }
    const PolkitStandIn &polkit() const { return *m_polkit; }
    FakeSysfs &sysfs() { return *m_sysfs; }
    const FakeSysfs &sysfs() const { return *m_sysfs; }
    QString stateDir() const { return m_state->path(); }
    QString stateFile(const QString &name) const { return m_state->filePath(name); }
    ServiceProcess &service() { return *m_service; }
    const ServiceProcess &service() const { return *m_service; }
    // Another service on this bus over this tree, with `stateDir` as its state folder.
    std::unique_ptr<ServiceProcess> otherService(const QString &stateDir) const;

private:
    bool startBus();

    // Ended in reverse: the service before the polkit and bus it talks to.
    Mode m_mode;
    QString m_policyFile;
    QTemporaryDir m_activation;
    std::unique_ptr<FakeSysfs> m_sysfs;
    std::unique_ptr<QTemporaryDir> m_state;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<PolkitStandIn> m_polkit;
    std::unique_ptr<ServiceProcess> m_service;
};
