// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ServiceRig.h"

ServiceRig::ServiceRig(Mode mode, const QString &policyFile)
    : m_mode(mode), m_policyFile(policyFile), m_sysfs(std::make_unique<FakeSysfs>()),
      m_state(std::make_unique<QTemporaryDir>())
{
}

bool ServiceRig::start()
{
    m_bus = std::make_unique<PrivateBus>();
    return startBus();
}

bool ServiceRig::startActivatable(const QByteArray &arguments)
{
    m_bus = std::make_unique<PrivateBus>(m_activation.path());
    return ServiceProcess::makeActivatable(*m_bus, m_activation.path(), m_sysfs->root(),
                                           m_state->path(), arguments) &&
           startBus();
}

bool ServiceRig::startBus()
{
    if (!m_policyFile.isEmpty())
        m_bus->setPolicyFile(m_policyFile);
    if (!m_bus->start())
        return false;
    m_polkit = std::make_unique<PolkitStandIn>(*m_bus);
    renewService();
    return true;
}

void ServiceRig::renew()
{
    m_service.reset();
    m_sysfs = std::make_unique<FakeSysfs>();
    m_state = std::make_unique<QTemporaryDir>();
    renewService();
}

void ServiceRig::renewService(const QString &stateDir)
{
    m_service.reset();
    m_service = otherService(stateDir.isEmpty() ? m_state->path() : stateDir);
}

std::unique_ptr<ServiceProcess> ServiceRig::otherService(const QString &stateDir) const
{
    return std::make_unique<ServiceProcess>(*m_bus, m_sysfs->root(), stateDir,
                                            m_mode == Mode::Session);
}
