// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// voltquillctl's exit codes, for scripts; the man page and the README list
// them. A refusal of the service maps to the code of its kind.
enum class ExitCode {
    Ok = 0,
    Failed = 1,      // the driver refused, polkit is busy, anything else
    Usage = 2,       // a wrong verb, option or value
    Unreachable = 3, // no bus, or the service neither runs nor starts
    NotAuthorized = 4,
    NotPossible = 5, // this laptop offers no such limit, or nothing to suspend
    NotSaved = 6,    // the change holds, but will not outlive a restart
};

// The code for a failed call with the D-Bus error `name`.
ExitCode exitCodeForError(const QString &name);
