// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The mark drawn on the battery symbol.
enum class Badge {
    none,
    charging, // lightning bolt
    plugged,  // power plug: on external power, not charging
};
