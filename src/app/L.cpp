// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/L.h"

#include "app/AgentLog.h"

#include <QCoreApplication>
#include <QTranslator>

const QLocale &appLocale()
{
    static const QLocale locale(QLocale::German, QLocale::Germany);
    return locale;
}

bool loadStringTable(const QString &file)
{
    static QTranslator translator;
    // A table without a single entry (every text as the code writes it) is
    // loaded, but Qt does not install an empty translator.
    if (translator.load(file))
        return translator.isEmpty() || QCoreApplication::installTranslator(&translator);
    // The texts still show, as written in the code.
    qCWarning(lcAgent, "Übersetzungstabelle %s fehlt: die Texte erscheinen wie im Code.",
              qUtf8Printable(file));
    return false;
}

QString lookUp(const char *text)
{
    // The German text is the key; without an entry it comes back as it is.
    return QCoreApplication::translate("Voltquill", text);
}

namespace
{
QString integerText(qint64 value, bool zeroPad, bool leftAlign, int width)
{
    QString digits =
        QString::number(value < 0 ? -static_cast<quint64>(value) : static_cast<quint64>(value));
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    if (zeroPad && !leftAlign && width > 0)
        digits = digits.rightJustified(width - sign.size(), QLatin1Char('0'));
    return sign + digits;
}

QString pad(const QString &text, bool leftAlign, int width)
{
    return leftAlign ? text.leftJustified(width) : text.rightJustified(width);
}
} // namespace

QString formatText(const QString &format, const QList<LArg> &args)
{
    QString out;
    out.reserve(format.size() + 16);
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        qsizetype j = i + 1;
        bool zeroPad = false, leftAlign = false;
        for (; j < format.size(); ++j) {
            if (format.at(j) == QLatin1Char('0'))
                zeroPad = true;
            else if (format.at(j) == QLatin1Char('-'))
                leftAlign = true;
            else
                break;
        }
        int width = 0;
        for (; j < format.size() && format.at(j).isDigit(); ++j)
            width = width * 10 + format.at(j).digitValue();
        int precision = -1;
        if (j < format.size() && format.at(j) == QLatin1Char('.')) {
            precision = 0;
            for (++j; j < format.size() && format.at(j).isDigit(); ++j)
                precision = precision * 10 + format.at(j).digitValue();
        }
        while (j < format.size() &&
               (format.at(j) == QLatin1Char('l') || format.at(j) == QLatin1Char('h')))
            ++j;
        if (j >= format.size()) {
            out += format.mid(i);
            break;
        }
        const QChar spec = format.at(j);
        if (spec == QLatin1Char('%')) {
            out += QLatin1Char('%');
            i = j;
            continue;
        }
        static const LArg missing{qint64(0)};
        const LArg &arg = next < args.size() ? args.at(next) : missing;
        QString piece;
        switch (spec.toLatin1()) {
        case 'd':
        case 'i':
        case 'u': {
            const qint64 v = std::holds_alternative<qint64>(arg) ? std::get<qint64>(arg)
                             : std::holds_alternative<double>(arg)
                                 ? static_cast<qint64>(std::get<double>(arg))
                                 : 0;
            piece = integerText(v, zeroPad, leftAlign, width);
            break;
        }
        case 'f': {
            const double v = std::holds_alternative<double>(arg) ? std::get<double>(arg)
                             : std::holds_alternative<qint64>(arg)
                                 ? static_cast<double>(std::get<qint64>(arg))
                                 : 0.0;
            piece = appLocale().toString(v, 'f', precision < 0 ? 6 : precision);
            break;
        }
        case '@':
            piece = std::holds_alternative<QString>(arg) ? std::get<QString>(arg)
                    : std::holds_alternative<qint64>(arg)
                        ? QString::number(std::get<qint64>(arg))
                        : appLocale().toString(std::get<double>(arg));
            break;
        default:
            // Not a conversion we know: keep it as written.
            out += format.mid(i, j - i + 1);
            i = j;
            continue;
        }
        ++next;
        out += pad(piece, leftAlign, width);
        i = j;
    }
    return out;
}
