// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <concepts>
#include <variant>

// One argument of a printf-style format: %d/%lld take integers, %@ a text,
// %f a floating-point number.
using LArg = std::variant<qint64, double, QString>;

// Installs the compiled-in string table; call once after the application object exists.
// Warns in the log and returns false when the table cannot be loaded.
bool loadStringTable(const QString &file = QStringLiteral(":/i18n/voltquill_de.qm"));

// L() looks its text up in the context "Voltquill". lupdate sees every L()
// call with literal text (cmake/LupdateSources.cmake); a text that reaches L()
// through a variable is written as QT_TRANSLATE_NOOP("Voltquill", "…") where
// it is defined, so that lupdate lists it too.

// The locale of all formatting through L: German.
const QLocale &appLocale();

// Looks the German text up in the compiled-in string table (the text is its
// own key) and returns it unchanged when no argument is given.
QString lookUp(const char *text);

// printf-style formatting of %d, %i, %u, %ld, %lld (with flags and width such
// as %02d), %@, %.Nf and %% in appLocale.
QString formatText(const QString &format, const QList<LArg> &args);

namespace detail
{
template <typename T> LArg toLArg(T &&value)
{
    using V = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<V, bool>)
        return static_cast<qint64>(value);
    else if constexpr (std::integral<V>)
        return static_cast<qint64>(value);
    else if constexpr (std::floating_point<V>)
        return static_cast<double>(value);
    else
        return QString(std::forward<T>(value));
}
} // namespace detail

template <typename... Args> QString L(const char *text, Args &&...args)
{
    if constexpr (sizeof...(Args) == 0)
        return lookUp(text);
    else
        return formatText(lookUp(text), {detail::toLArg(std::forward<Args>(args))...});
}
