// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QString>

// What a failed call to the charge service means, in German, for the agent
// and voltquillctl alike. The texts are keys of the agent's string table
// (context "Voltquill"); without the table they show as written.
namespace ChargeErrorText
{
// The description of the D-Bus error `name` with `message`. `serviceGone`:
// the service's name had no owner any more when the call failed.
QString describe(const QString &name, const QString &message, bool serviceGone);
// Whether a call that failed with `name` met a service that ended mid-call
// (a timeout and a service that died look alike: the bus is asked).
bool serviceGone(const QDBusConnection &bus, const QString &name);
} // namespace ChargeErrorText
