// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExitCode.h"

#include "shared/ChargeErrors.h"

ExitCode exitCodeForError(const QString &name)
{
    using namespace ChargeErrors;
    if (name == NotAuthorized || name == InteractiveAuthorizationRequired ||
        name == AuthorizationTimedOut ||
        name == QLatin1String("org.freedesktop.DBus.Error.AccessDenied"))
        return ExitCode::NotAuthorized;
    if (name == NotSupported || name == InvalidLimit || name == NoLimit)
        return ExitCode::NotPossible;
    if (name == StateNotSaved)
        return ExitCode::NotSaved;
    if (name == WriteFailed || name == Busy || !name.startsWith(QLatin1String("org.freedesktop.")))
        return ExitCode::Failed;
    // The bus's own failures: no daemon, no service, no answer.
    return ExitCode::Unreachable;
}
