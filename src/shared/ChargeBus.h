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
// How long a caller waits for a command: the service gives polkit 2 s when
// no one may be asked, and up to 5 minutes for a person to type a password
// when the call allows interactive authorisation.
inline constexpr int quietPolkitWaitMs = 2000;
inline constexpr int personPolkitWaitMs = 5 * 60 * 1000;
inline constexpr int commandWaitMs = 4000;
inline constexpr int interactiveCommandWaitMs = personPolkitWaitMs + 5000;
} // namespace ChargeBus
