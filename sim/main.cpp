// SPDX-License-Identifier: GPL-3.0-or-later
// voltquill-sim: a simulated laptop for demos and end-to-end tests.
#include "Laptop.h"
#include "SimScript.h"
#include "Version.h"
#include "shared/QtTranslation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <unistd.h>
#include <variant>

namespace
{
struct NumberOption {
    QCommandLineOption option;
    double *target;
};

struct Options {
    Laptop::Options laptop;
    double speed = 1;
    int tickMs = 1000;
    bool once = false;
    bool verbose = false;
    QString module;
    QStringList initial; // commands run first
};

int fail(const QString &message)
{
    QTextStream(stderr) << "voltquill-sim: " << message << Qt::endl;
    return 2;
}

// The options, or the exit code of a wrong one.
std::variant<Options, int> parseOptions(QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulierter Laptop: hält einen power_supply-Baum (Akku, Netzteil, "
                       "optional USB-PD-Quelle) unter WURZEL/class/power_supply und lässt ihn "
                       "wie eine Firmware laden und entladen. Dienst und Agent lesen ihn mit "
                       "VOLTQUILL_SYSFS_ROOT=WURZEL.\n\n") +
        SimScript::help());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption rootOption(
        QStringLiteral("root"),
        QStringLiteral("Wurzel des Baums (Standard: VOLTQUILL_SYSFS_ROOT)."),
        QStringLiteral("WURZEL"));
    const QCommandLineOption speedOption(
        QStringList{QStringLiteral("speed"), QStringLiteral("time-factor")},
        QStringLiteral("Zeitfaktor (Standard 1)."), QStringLiteral("F"), QStringLiteral("1"));
    const QCommandLineOption tickOption(
        QStringLiteral("tick"), QStringLiteral("Schrittweite in ms Echtzeit (Standard 1000)."),
        QStringLiteral("MS"), QStringLiteral("1000"));
    const QCommandLineOption onceOption(
        QStringLiteral("once"),
        QStringLiteral("Nur Baum anlegen und Befehle ausführen, dann enden (ohne wait)."));
    const QCommandLineOption batteryOption(QStringLiteral("battery"),
                                           QStringLiteral("Name des Akkus (Standard BAT0)."),
                                           QStringLiteral("NAME"), QStringLiteral("BAT0"));
    const QCommandLineOption chargeUnitsOption(
        QStringLiteral("charge-units"),
        QStringLiteral("charge_* in µAh und current_now statt energy_* und power_now."));
    const QCommandLineOption legacyOption(
        QStringLiteral("legacy"),
        QStringLiteral("Alte Namen charge_stop_threshold/charge_start_threshold."));
    const QCommandLineOption startOption(QStringLiteral("start-threshold"),
                                         QStringLiteral("Der Treiber hat auch eine Startschwelle."),
                                         QStringLiteral("N"));
    const QCommandLineOption roundOption(
        QStringLiteral("round-to"),
        QStringLiteral("Die Firmware behält nur Vielfache von N (abgerundet)."),
        QStringLiteral("N"));
    const QCommandLineOption ignoresOption(
        QStringLiteral("ignores-threshold"),
        QStringLiteral("Der Treiber nimmt die Ladeschwelle an, die Firmware lädt trotzdem "
                       "voll."));
    const QCommandLineOption behaviourOption(
        QStringLiteral("charge-behaviour"),
        QStringLiteral("Der Akku hat auch charge_behaviour (auto, inhibit-charge, "
                       "force-discharge)."));
    const QCommandLineOption behaviourOnlyOption(
        QStringLiteral("behaviour-only"),
        QStringLiteral("Der Treiber hat keine Ladeschwelle, nur charge_behaviour."));
    const QCommandLineOption moduleOption(
        QStringLiteral("module"),
        QStringLiteral("Legt WURZEL/module/NAME an, etwa lg_laptop (nur 80 und 100 %)."),
        QStringLiteral("NAME"));
    // The most common first commands also as options.
    const QCommandLineOption plugOption(QStringLiteral("plug"),
                                        QStringLiteral("Wie der Befehl plug."));
    const QCommandLineOption unplugOption(QStringLiteral("unplug"),
                                          QStringLiteral("Wie der Befehl unplug."));
    const QCommandLineOption levelOption(
        QStringLiteral("level"), QStringLiteral("Wie der Befehl level N."), QStringLiteral("N"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Nach jedem Schritt eine Statuszeile."));
    Options result;
    Laptop::Options &options = result.laptop;
    const QList<NumberOption> numbers{
        {{QStringLiteral("full-wh"), QStringLiteral("Volle Kapazität in Wh (50)."),
          QStringLiteral("WH")},
         &options.fullWh},
        {{QStringLiteral("design-wh"), QStringLiteral("Nennkapazität in Wh (57)."),
          QStringLiteral("WH")},
         &options.designWh},
        {{QStringLiteral("charge-watts"), QStringLiteral("Ladeleistung in W (30)."),
          QStringLiteral("W")},
         &options.chargeWatts},
        {{QStringLiteral("drain-watts"), QStringLiteral("Verbrauch im Akkubetrieb in W (8)."),
          QStringLiteral("W")},
         &options.drainWatts},
    };
    parser.addOptions({rootOption, speedOption, tickOption, onceOption, batteryOption,
                       chargeUnitsOption, legacyOption, startOption, roundOption, ignoresOption,
                       behaviourOption, behaviourOnlyOption, moduleOption, plugOption, unplugOption,
                       levelOption, verboseOption});
    for (const NumberOption &number : numbers)
        parser.addOption(number.option);
    parser.addPositionalArgument(QStringLiteral("befehle"),
                                 QStringLiteral("Befehle, die zuerst laufen (siehe oben)."),
                                 QStringLiteral("[befehl …]"));
    parser.process(app);

    options.root = parser.isSet(rootOption) ? parser.value(rootOption)
                                            : qEnvironmentVariable("VOLTQUILL_SYSFS_ROOT");
    if (options.root.isEmpty())
        return fail(QStringLiteral("--root oder VOLTQUILL_SYSFS_ROOT fehlt."));
    options.battery = parser.value(batteryOption);
    options.chargeUnits = parser.isSet(chargeUnitsOption);
    options.legacyNames = parser.isSet(legacyOption);
    options.ignoresThreshold = parser.isSet(ignoresOption);
    options.chargeBehaviour = parser.isSet(behaviourOption);
    options.behaviourOnly = parser.isSet(behaviourOnlyOption);
    bool ok = true;
    if (parser.isSet(startOption))
        options.startThreshold = parser.value(startOption).toInt(&ok);
    if (!ok || options.startThreshold > 100)
        return fail(QStringLiteral("--start-threshold braucht 0 bis 100."));
    if (parser.isSet(roundOption))
        options.roundTo = parser.value(roundOption).toInt(&ok);
    if (!ok || options.roundTo < 1 || options.roundTo > 100)
        return fail(QStringLiteral("--round-to braucht 1 bis 100."));
    for (const NumberOption &number : numbers) {
        if (!parser.isSet(number.option))
            continue;
        *number.target = parser.value(number.option).toDouble(&ok);
        if (!ok || *number.target <= 0)
            return fail(QStringLiteral("--%1 braucht eine Zahl über 0.")
                            .arg(number.option.names().first()));
    }
    result.speed = parser.value(speedOption).toDouble(&ok);
    if (!ok || result.speed <= 0)
        return fail(QStringLiteral("--speed braucht eine Zahl über 0."));
    result.tickMs = parser.value(tickOption).toInt(&ok);
    if (!ok || result.tickMs < 10)
        return fail(QStringLiteral("--tick braucht mindestens 10 ms."));
    result.once = parser.isSet(onceOption);
    result.verbose = parser.isSet(verboseOption);
    result.module = parser.value(moduleOption);
    if (parser.isSet(plugOption))
        result.initial << QStringLiteral("plug");
    if (parser.isSet(unplugOption))
        result.initial << QStringLiteral("unplug");
    if (parser.isSet(levelOption))
        result.initial << QStringLiteral("level ") + parser.value(levelOption);
    result.initial << SimScript::commandsFromArguments(parser.positionalArguments());
    return result;
}

int run(QCoreApplication &app, const Options &options)
{
    QTextStream err(stderr);

    Laptop laptop(options.laptop);
    QString error;
    if (!laptop.create(&error))
        return fail(error);
    if (!options.module.isEmpty())
        laptop.addModule(options.module);

    SimScript script(laptop);
    int exitCode = 0;
    QObject::connect(&script, &SimScript::failed, &app, [&](const QString &message) {
        err << message << Qt::endl;
        exitCode = 2;
    });
    double speed = options.speed;
    QObject::connect(&script, &SimScript::speedChanged, &app,
                     [&](double factor) { speed = factor; });
    QObject::connect(&script, &SimScript::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    if (options.once) {
        for (const QString &command : options.initial)
            if (!command.startsWith(QStringLiteral("wait")))
                script.feed(command);
        return exitCode;
    }

    QElapsedTimer clock;
    clock.start();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &app, [&] {
        const double seconds = clock.restart() / 1000.0;
        laptop.step(seconds * speed);
        if (options.verbose)
            QTextStream(stdout) << laptop.statusLine() << Qt::endl;
    });
    ticker.start(options.tickMs);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[1024];
        const ssize_t size = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (size <= 0) {
            // End of input: the laptop goes on until it is stopped.
            input.setEnabled(false);
            return;
        }
        pending.append(buffer, size);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
            script.feed(QString::fromUtf8(pending.left(end)));
            pending.remove(0, end + 1);
        }
    });
    for (const QString &command : options.initial)
        script.feed(command);
    const int result = QCoreApplication::exec();
    return exitCode ? exitCode : result;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("voltquill-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VOLTQUILL_VERSION));
    QtTranslation::install(app);
    const auto parsed = parseOptions(app);
    if (const int *code = std::get_if<int>(&parsed))
        return *code;
    return run(app, std::get<Options>(parsed));
}
