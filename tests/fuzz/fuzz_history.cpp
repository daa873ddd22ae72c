// SPDX-License-Identifier: GPL-3.0-or-later
// The health history file: decoding must never crash, and what it accepts must
// survive a write and a second read unchanged.
#include "policy/History.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto samples = History::decode(bytes);
    if (!samples)
        return 0;
    const auto again = History::decode(History::encode(*samples));
    if (!again || *again != *samples)
        __builtin_trap();
    return 0;
}
