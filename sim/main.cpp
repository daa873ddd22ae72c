// voltquill-sim: a simulated laptop for demos and end-to-end tests.
#include "Laptop.h"
#include "SimScript.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <unistd.h>

namespace
{
struct NumberOption {
    QCommandLineOption option;
    double *target;
};
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("voltquill-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulierter Laptop: hält einen power_supply-Baum (Akku, Netzteil, "
                       "optional USB-PD-Quelle) unter WURZEL/class/power_supply und lässt ihn "
                       "wie eine Firmware laden und entladen. Dienst und Agent lesen ihn mit "
                       "VOLTQUILL_SYSFS_ROOT=WURZEL.\n\n") +
        SimScript::help());
    parser.addHelpOption();
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
    Laptop::Options options;
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
                       chargeUnitsOption, legacyOption, startOption, roundOption, moduleOption,
                       plugOption, unplugOption, levelOption, verboseOption});
    for (const NumberOption &number : numbers)
        parser.addOption(number.option);
    parser.addPositionalArgument(QStringLiteral("befehle"),
                                 QStringLiteral("Befehle, die zuerst laufen (siehe oben)."),
                                 QStringLiteral("[befehl …]"));
    parser.process(app);

    QTextStream err(stderr);
    const auto fail = [&](const QString &message) {
        err << "voltquill-sim: " << message << Qt::endl;
        return 2;
    };
    options.root = parser.isSet(rootOption) ? parser.value(rootOption)
                                            : qEnvironmentVariable("VOLTQUILL_SYSFS_ROOT");
    if (options.root.isEmpty())
        return fail(QStringLiteral("--root oder VOLTQUILL_SYSFS_ROOT fehlt."));
    options.battery = parser.value(batteryOption);
    options.chargeUnits = parser.isSet(chargeUnitsOption);
    options.legacyNames = parser.isSet(legacyOption);
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
    double speed = parser.value(speedOption).toDouble(&ok);
    if (!ok || speed <= 0)
        return fail(QStringLiteral("--speed braucht eine Zahl über 0."));
    const int tickMs = parser.value(tickOption).toInt(&ok);
    if (!ok || tickMs < 10)
        return fail(QStringLiteral("--tick braucht mindestens 10 ms."));

    Laptop laptop(options);
    QString error;
    if (!laptop.create(&error))
        return fail(error);
    if (parser.isSet(moduleOption))
        laptop.addModule(parser.value(moduleOption));

    SimScript script(laptop);
    int exitCode = 0;
    QObject::connect(&script, &SimScript::failed, &app, [&](const QString &message) {
        err << message << Qt::endl;
        exitCode = 2;
    });
    QObject::connect(&script, &SimScript::speedChanged, &app,
                     [&](double factor) { speed = factor; });
    QObject::connect(&script, &SimScript::quitRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    QStringList initial;
    if (parser.isSet(plugOption))
        initial << QStringLiteral("plug");
    if (parser.isSet(unplugOption))
        initial << QStringLiteral("unplug");
    if (parser.isSet(levelOption))
        initial << QStringLiteral("level ") + parser.value(levelOption);
    initial << SimScript::commandsFromArguments(parser.positionalArguments());
    if (parser.isSet(onceOption)) {
        for (const QString &command : initial)
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
        if (parser.isSet(verboseOption))
            QTextStream(stdout) << laptop.statusLine() << Qt::endl;
    });
    ticker.start(tickMs);

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
    for (const QString &command : initial)
        script.feed(command);
    const int result = QCoreApplication::exec();
    return exitCode ? exitCode : result;
}
