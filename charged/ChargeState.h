// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the service keeps: the limit (100 = none) and whether it is suspended
// until the adapter goes offline.
struct ChargeState {
    int limit = 100;
    bool suspended = false;

    // The end threshold the batteries should hold.
    int target() const { return suspended ? 100 : limit; }
    bool operator==(const ChargeState &) const = default;
};
