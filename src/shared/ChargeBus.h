// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the charge service answers on the bus, for the service, the agent and
// the tests alike. The interface it implements carries the service's name; the
// code both sides generate from the interface file (the agent's proxy, the
// service's adaptor) spells it too, and a call under another name would fail.
namespace ChargeBus
{
inline const QString serviceName = QStringLiteral("org.voltquill.Charge1");
inline const QString objectPath = QStringLiteral("/org/voltquill/Charge1");
inline const QString interfaceName = serviceName;
} // namespace ChargeBus
