// SPDX-License-Identifier: GPL-3.0-or-later
// voltquillctl: the charge service from a terminal or a script.
#include "ChargeCall.h"
#include "ChargeStatus.h"
#include "ExitCode.h"
#include "PolkitTextAgent.h"
#include "Version.h"
#include "shared/ChargeErrors.h"
#include "shared/QtTranslation.h"
#include "shared/SysfsPaths.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <unistd.h>

namespace
{
struct Options {
    QString verb;
    QStringList arguments;
    bool json = false;
    bool askPassword = true;
};

void print(FILE *stream, const QString &text)
{
    std::fputs(qUtf8Printable(text), stream);
    std::fputc('\n', stream);
}

void printJson(const QJsonObject &object)
{
    print(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)));
}

Options parseOptions(QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Zeigt und ändert das Ladelimit des Akkus über den Ladedienst voltquill-charged.\n\n"
        "Befehle:\n"
        "  status        Akku, Ladelimit und wie es gehalten wird (Standard)\n"
        "  limits        die Ladelimits, die dieser Laptop anbietet\n"
        "  set PROZENT   Ladelimit setzen (einer der angebotenen Werte; 100 = aus)\n"
        "  off           Ladelimit ausschalten\n"
        "  full-charge   einmalig voll laden, bis das Netzteil abgezogen wird\n"
        "  resume        das einmalige Volladen beenden: das Ladelimit gilt wieder\n\n"
        "Exit-Codes: 0 erledigt, 1 abgelehnt, 2 falscher Aufruf, 3 Ladedienst nicht "
        "erreichbar, 4 keine Berechtigung, 5 auf diesem Laptop nicht möglich, 6 gilt, wird "
        "nach einem Neustart aber nicht wiederhergestellt."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("befehl"),
                                 QStringLiteral("Der Befehl (siehe oben)."),
                                 QStringLiteral("[befehl [wert]]"));
    const QCommandLineOption jsonOption(QStringLiteral("json"),
                                        QStringLiteral("Antwortet als JSON, für Skripte."));
    const QCommandLineOption noAskOption(
        QStringLiteral("no-ask-password"),
        QStringLiteral("Fragt nicht nach einem Passwort, wenn polkit eines verlangt."));
    parser.addOptions({jsonOption, noAskOption});
    parser.process(app);

    Options options;
    const QStringList positional = parser.positionalArguments();
    options.verb = positional.value(0, QStringLiteral("status"));
    options.arguments = positional.mid(1);
    options.json = parser.isSet(jsonOption);
    options.askPassword = !parser.isSet(noAskOption);
    return options;
}

int usage(const Options &options, const QString &text)
{
    if (options.json)
        printJson({{QStringLiteral("ok"), false}, {QStringLiteral("message"), text}});
    print(stderr, text + QStringLiteral("\n„voltquillctl --help“ zeigt die Befehle."));
    return int(ExitCode::Usage);
}

int showStatus(const ChargeCall &call, const QDBusConnection &systemBus, const Options &options)
{
    const ChargeStatus status = ChargeStatus::read(call, SysfsPaths::sysfsRoot(), systemBus);
    if (options.json)
        printJson(status.json());
    else
        std::fputs(qUtf8Printable(status.text()), stdout);
    return int(status.serviceAnswered() ? ExitCode::Ok : ExitCode::Unreachable);
}

int showLimits(const ChargeCall &call, const Options &options)
{
    const QDBusMessage reply = call.query(QStringLiteral("AvailableLimits"));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        const QString text = call.describe(reply);
        if (options.json)
            printJson({{QStringLiteral("ok"), false},
                       {QStringLiteral("error"), reply.errorName()},
                       {QStringLiteral("message"), text}});
        print(stderr, text);
        return int(exitCodeForError(reply.errorName()));
    }
    QJsonArray limits;
    QStringList texts;
    for (const char limit : reply.arguments().value(0).toByteArray()) {
        limits.append(static_cast<uchar>(limit));
        texts << QString::number(static_cast<uchar>(limit));
    }
    if (options.json)
        printJson({{QStringLiteral("availableLimits"), limits}});
    else
        print(stdout, texts.isEmpty() ? QStringLiteral("Dieser Akku lässt kein Ladelimit zu.")
                                      : texts.join(QLatin1Char(' ')));
    return int(ExitCode::Ok);
}

int runCommand(const ChargeCall &call, const Options &options, const QString &method,
               const QVariantList &arguments, const QString &done)
{
    PolkitTextAgent agent;
    if (options.askPassword)
        agent.start();
    const QDBusMessage reply = call.command(method, arguments);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        if (options.json)
            printJson({{QStringLiteral("ok"), true}, {QStringLiteral("message"), done}});
        else
            print(stdout, done);
        return int(ExitCode::Ok);
    }
    const QString name = reply.errorName();
    const ExitCode code = exitCodeForError(name);
    QString text = call.describe(reply);
    if (name == ChargeErrors::InvalidLimit) {
        const QDBusMessage offered = call.query(QStringLiteral("AvailableLimits"));
        QStringList values;
        for (const char limit : offered.arguments().value(0).toByteArray())
            values << QString::number(static_cast<uchar>(limit));
        if (!values.isEmpty())
            text += QStringLiteral(" Angeboten: %1 %.").arg(values.join(QStringLiteral(", ")));
    }
    if (options.json)
        printJson({{QStringLiteral("ok"), code == ExitCode::NotSaved},
                   {QStringLiteral("error"), name},
                   {QStringLiteral("message"), text}});
    print(stderr, text);
    return int(code);
}

int run(const Options &options, const QDBusConnection &bus, const QDBusConnection &systemBus)
{
    const ChargeCall call(bus, options.askPassword);
    const qsizetype wanted = options.verb == u"set" ? 1 : 0;
    if (options.arguments.size() != wanted)
        return usage(options, wanted ? QStringLiteral("„set“ braucht genau einen Prozentwert.")
                                     : QStringLiteral("„%1“ nimmt keinen Wert.").arg(options.verb));
    if (options.verb == u"status" || options.verb == u"limits") {
        if (!bus.isConnected() && !options.json)
            print(stderr, QStringLiteral("Keine Verbindung zum Systembus."));
        return options.verb == u"status" ? showStatus(call, systemBus, options)
                                         : showLimits(call, options);
    }

    QString method;
    QVariantList arguments;
    QString done;
    if (options.verb == u"set") {
        bool ok = false;
        const int limit = options.arguments.first().toInt(&ok);
        if (!ok || limit < 1 || limit > 100)
            return usage(options, QStringLiteral("Kein Prozentwert von 1 bis 100: „%1“.")
                                      .arg(options.arguments.first()));
        method = QStringLiteral("SetLimit");
        arguments << QVariant::fromValue(static_cast<uchar>(limit));
        done = limit < 100 ? QStringLiteral("Ladelimit %1 % gesetzt.").arg(limit)
                           : QStringLiteral("Ladelimit aus: der Akku lädt voll.");
    } else if (options.verb == u"off") {
        method = QStringLiteral("SetLimit");
        arguments << QVariant::fromValue(static_cast<uchar>(100));
        done = QStringLiteral("Ladelimit aus: der Akku lädt voll.");
    } else if (options.verb == u"full-charge") {
        method = QStringLiteral("SuspendUntilUnplugged");
        done = QStringLiteral("Der Akku lädt einmalig voll, bis das Netzteil abgezogen wird.");
    } else if (options.verb == u"resume") {
        method = QStringLiteral("Enable");
        done = QStringLiteral("Das Ladelimit gilt wieder.");
    } else {
        return usage(options, QStringLiteral("Unbekannter Befehl „%1“.").arg(options.verb));
    }
    return runCommand(call, options, method, arguments, done);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("voltquillctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VOLTQUILL_VERSION));
    QtTranslation::install(app);
    const Options options = parseOptions(app);
    // Connections of its own, closed before the process ends.
    const QString systemName = QStringLiteral("voltquillctl-system");
    const QString sessionName = QStringLiteral("voltquillctl-session");
    int code = 0;
    {
        const QDBusConnection systemBus =
            QDBusConnection::connectToBus(QDBusConnection::SystemBus, systemName);
        const bool sessionBus = qEnvironmentVariable("VOLTQUILL_CHARGE_BUS") == u"session";
        code =
            run(options,
                sessionBus ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, sessionName)
                           : systemBus,
                systemBus);
    }
    QDBusConnection::disconnectFromBus(systemName);
    QDBusConnection::disconnectFromBus(sessionName);
    // Qt's D-Bus thread lives until the static teardown and may still be
    // handing on a message there, with English warnings about types already
    // gone: everything is said and closed, so the process ends here.
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(code);
}
