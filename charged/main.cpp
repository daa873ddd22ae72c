// SPDX-License-Identifier: GPL-3.0-or-later
// voltquill-charged: the charge service on the system bus (or, for demos and
// tests, the session bus with VOLTQUILL_CHARGE_BUS=session).
#include "BatteryControl.h"
#include "ChargeCheck.h"
#include "ChargeLog.h"
#include "ChargeService.h"
#include "PolkitAuthority.h"
#include "StateStore.h"
#include "StopSignal.h"
#include "SupplyMonitor.h"
#include "Version.h"
#include "charge1adaptor.h"
#include "shared/ChargeBus.h"
#include "shared/QtTranslation.h"
#include "shared/SysfsPaths.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QTextStream>
#include <QTimer>

namespace
{
struct Options {
    bool check = false;   // only tell whether this laptop can keep a limit
    bool restore = false; // put back what the batteries held before
    int idleSeconds = 0;  // 0: stays until stopped
};

Options parseOptions(QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Hält das Ladelimit der Akkus (Dienst org.voltquill.Charge1).\n"
                       "Umgebung: VOLTQUILL_SYSFS_ROOT (Standard /sys), VOLTQUILL_STATE_DIR "
                       "(Standard /var/lib/voltquill), VOLTQUILL_CHARGE_BUS=session."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption idleOption(
        QStringLiteral("exit-when-idle"),
        QStringLiteral("Beendet sich nach SEKUNDEN ohne Aufruf und ohne Ereignis der "
                       "Stromversorgung, solange kein ausgesetztes Limit zu beobachten ist. "
                       "D-Bus startet den Dienst beim nächsten Aufruf neu, die udev-Regel, wenn "
                       "ein Akku erscheint oder ein Netzteil eingesteckt wird, systemd beim "
                       "Aufwachen; jeder Start setzt das Limit wieder."),
        QStringLiteral("SEKUNDEN"));
    parser.addOption(idleOption);
    const QCommandLineOption checkOption(
        QStringLiteral("check"), QStringLiteral("Prüft ohne Root und ohne Bus, ob dieser Laptop "
                                                "ein Ladelimit halten kann, und endet."));
    parser.addOption(checkOption);
    const QCommandLineOption restoreOption(
        QStringLiteral("restore"),
        QStringLiteral("Setzt die Ladeschwellen und Lademodi auf das zurück, was vor dem ersten "
                       "Schreiben des Dienstes galt (ohne gemerkten Wert: kein Limit), erlaubt "
                       "das Laden wieder und endet (beim Entfernen des Pakets)."));
    parser.addOption(restoreOption);
    parser.process(app);

    Options options;
    options.check = parser.isSet(checkOption);
    options.restore = parser.isSet(restoreOption);
    if (parser.isSet(idleOption)) {
        bool ok = false;
        options.idleSeconds = parser.value(idleOption).toInt(&ok);
        if (!ok || options.idleSeconds <= 0)
            parser.showHelp(2);
    }
    return options;
}

int restore()
{
    BatteryControl batteries(SysfsPaths::sysfsRoot());
    const StateStore store(StateStore::defaultDirectory());
    batteries.keepModesIn(store);
    QStringList lines;
    const bool ok = batteries.restore(&lines);
    QTextStream out(stdout);
    if (lines.isEmpty())
        out << "voltquill: Die Akkus laden schon wie vor Voltquill; nichts zurückzusetzen.\n";
    else
        out << "voltquill: Akkus zurückgesetzt, wie sie vor Voltquill waren: "
            << lines.join(QStringLiteral("; ")) << ".\n";
    if (!ok)
        out << "voltquill: Nicht alles ließ sich zurücksetzen; der Akku lädt womöglich nicht "
               "voll. Prüfe /sys/class/power_supply/*/charge_control_end_threshold.\n";
    return ok ? 0 : 1;
}

int run(QCoreApplication &app, const Options &options)
{
    if (options.check)
        return ChargeCheck::run();
    if (options.restore)
        return restore();
    // Before the bus's thread starts, which would inherit no mask.
    StopSignal::block();
    const bool sessionBus = qEnvironmentVariable("VOLTQUILL_CHARGE_BUS") == u"session";
    QDBusConnection bus = sessionBus ? QDBusConnection::sessionBus() : QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCCritical(lcCharge, "Kein Zugang zum D-Bus: %s", qPrintable(bus.lastError().message()));
        return 1;
    }

    const QString sysfsRoot = SysfsPaths::sysfsRoot();
    BatteryControl batteries(sysfsRoot);
    const StateStore store(StateStore::defaultDirectory());
    batteries.keepModesIn(store);
    PolkitAuthority authority(bus);
    ChargeService service(batteries, store, sessionBus ? nullptr : &authority, bus);
    new Charge1Adaptor(&service);

    SupplyMonitor monitor;
    QObject::connect(&monitor, &SupplyMonitor::changed, &service, &ChargeService::suppliesChanged);
    if (SysfsPaths::isMoved()) {
        const auto rewatch = [&] {
            monitor.watch(batteries.watchedFiles(), batteries.watchedDirectories());
        };
        QObject::connect(&service, &ChargeService::rescanned, &monitor, rewatch);
        rewatch();
    } else if (!monitor.listenToKernel()) {
        qCWarning(lcCharge,
                  "Keine Kernel-Meldungen der Stromversorgung: Treiber-Rücksetzungen bleiben "
                  "unbemerkt.");
    }
    // logind is on the system bus also when the service runs on the session bus.
    QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
        &service, SLOT(prepareForSleep(bool)));

    service.start();
    StopSignal stopSignal;
    QObject::connect(&stopSignal, &StopSignal::received, &app, [&service] {
        service.stop();
        QCoreApplication::quit();
    });

    if (!bus.registerObject(ChargeBus::objectPath, &service)) {
        qCCritical(lcCharge, "Objekt %s nicht registriert.", qPrintable(ChargeBus::objectPath));
        return 1;
    }
    if (!bus.registerService(ChargeBus::serviceName)) {
        qCCritical(lcCharge, "Name %s nicht erhalten: %s", qPrintable(ChargeBus::serviceName),
                   qPrintable(bus.lastError().message()));
        return 1;
    }

    QTimer idle;
    if (options.idleSeconds > 0) {
        idle.setSingleShot(true);
        idle.setInterval(options.idleSeconds * 1000);
        QObject::connect(&idle, &QTimer::timeout, &app, [&] {
            // A suspension or the charge is still watched: wait again.
            if (service.needsWatching()) {
                idle.start();
                return;
            }
            // Let the name go first: from then on the bus starts a new
            // instance for new calls, and those already routed here (they
            // arrive before the answer to the release) are still answered.
            idle.disconnect();
            bus.unregisterService(ChargeBus::serviceName);
            // A suspension begun by one of them is kept in the state file; the
            // udev rule starts the service again when the charger is unplugged.
            auto *leave = new QTimer(&app);
            QObject::connect(leave, &QTimer::timeout, &app, [&service] {
                if (service.isChecking())
                    return;
                service.stop();
                QCoreApplication::quit();
            });
            leave->start(200);
        });
        const auto again = [&] { idle.start(); };
        QObject::connect(&service, &ChargeService::called, &idle, again);
        QObject::connect(&service, &ChargeService::rescanned, &idle, again);
        idle.start();
    }
    return QCoreApplication::exec();
}
} // namespace

int main(int argc, char *argv[])
{
    ChargeLog::useJournalPriorities();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("voltquill-charged"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VOLTQUILL_VERSION));
    QtTranslation::install(app);
    return run(app, parseOptions(app));
}
