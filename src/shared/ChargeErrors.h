// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The named errors of org.voltquill.Charge1: the service answers with them and
// the agent tells the user what each means.
namespace ChargeErrors
{
inline const QString NotSupported = QStringLiteral("org.voltquill.Charge1.Error.NotSupported");
inline const QString InvalidLimit = QStringLiteral("org.voltquill.Charge1.Error.InvalidLimit");
inline const QString NoLimit = QStringLiteral("org.voltquill.Charge1.Error.NoLimit");
inline const QString NotAuthorized = QStringLiteral("org.voltquill.Charge1.Error.NotAuthorized");
inline const QString WriteFailed = QStringLiteral("org.voltquill.Charge1.Error.WriteFailed");
inline const QString StateNotSaved = QStringLiteral("org.voltquill.Charge1.Error.StateNotSaved");
// Too many checks of polkit in flight; nothing was asked or changed.
inline const QString Busy = QStringLiteral("org.voltquill.Charge1.Error.Busy");
// polkit did not answer in time; nothing was changed.
inline const QString AuthorizationTimedOut =
    QStringLiteral("org.voltquill.Charge1.Error.AuthorizationTimedOut");
inline const QString InteractiveAuthorizationRequired =
    QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired");
} // namespace ChargeErrors
