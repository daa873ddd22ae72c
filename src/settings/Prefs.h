// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/SettingsStore.h"

#include <optional>

// Typed access to the settings in SettingsTable.h, all through one store that
// the program binds at its start (main the user's settings.json, each test its
// own file).
namespace Prefs
{
// The bound store; using it unbound is a programming error and ends the process.
SettingsStore &d();
// Binds `store` until it is unbound with nullptr; the store must outlive every use.
void bind(SettingsStore *store);

inline bool read(const QString &key, bool fallback)
{
    return d().boolean(key, fallback);
}
inline qint64 read(const QString &key, qint64 fallback)
{
    return d().integer(key, fallback);
}
inline std::optional<qint64> read(const QString &key, std::optional<qint64>)
{
    return d().optionalInteger(key);
}
inline std::optional<QString> read(const QString &key, const std::optional<QString> &)
{
    return d().string(key);
}

inline void write(const QString &key, bool value)
{
    d().setBool(key, value);
}
inline void write(const QString &key, qint64 value)
{
    d().setInteger(key, value);
}
inline void write(const QString &key, std::optional<qint64> value)
{
    value ? d().setInteger(key, *value) : d().remove(key);
}
inline void write(const QString &key, const std::optional<QString> &value)
{
    value ? d().setString(key, *value) : d().remove(key);
}

#define VOLTQUILL_READER_plain(type, name)                                                         \
    inline type name()                                                                             \
    {                                                                                              \
        return read(Key::name, Defaults::name);                                                    \
    }
#define VOLTQUILL_READER_custom(type, name) type name();
#define VOLTQUILL_ACCESSORS(type, name, Name, fallback, reader)                                    \
    VOLTQUILL_READER_##reader(type, name) inline void set##Name(const type &value)                 \
    {                                                                                              \
        write(Key::name, value);                                                                   \
    }
VOLTQUILL_SETTINGS(VOLTQUILL_ACCESSORS)
#undef VOLTQUILL_ACCESSORS
#undef VOLTQUILL_READER_custom
#undef VOLTQUILL_READER_plain

inline qint64 scheduleDay(qint64 n)
{
    return read(Key::scheduleDay(n), Defaults::scheduleLimit);
}
inline void setScheduleDay(qint64 n, qint64 limit)
{
    write(Key::scheduleDay(n), limit);
}
} // namespace Prefs
