// SPDX-License-Identifier: GPL-3.0-or-later
// The agent: wires the core to the Linux adapters and the user interface.
#include "Version.h"
#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/L.h"
#include "app/SystemClock.h"
#include "menubar/StatusItem.h"
#include "platform/AutostartLoginItem.h"
#include "platform/ChargeClientFactory.h"
#include "platform/DesktopSettingsPanes.h"
#include "platform/FontSetup.h"
#include "platform/FreedesktopNotificationCenter.h"
#include "platform/LinuxSystemEvents.h"
#include "platform/SingleInstance.h"
#include "platform/StatusNotifierHost.h"
#include "platform/SysfsBatteryRegistry.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "settings/ConfigPaths.h"
#include "settings/Prefs.h"
#include "shared/QtTranslation.h"
#include "shared/SysfsPaths.h"
#include "shared/ThresholdWriters.h"
#include "window/SettingsWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

namespace
{
// Options first, without a display: --help and --version answer on any terminal,
// and a wrong option ends here, before the agent claims the session.
void parseOptions(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("voltquill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VOLTQUILL_VERSION));
    QtTranslation::install(app);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Voltquill hält das Ladelimit des Akkus: Symbol und Menü im Tray, "
                       "Zeitplan nach Wochentagen, Mitteilungen und Akkuverlauf.\n"
                       "Ein zweiter Start zeigt das Einstellungsfenster des laufenden Voltquill."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);
}

int run(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Voltquill"));
    QApplication::setApplicationVersion(QStringLiteral(VOLTQUILL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("voltquill"));
    QApplication::setQuitOnLastWindowClosed(false);
    QtTranslation::install(app);

    // One agent per session: a second start shows the running agent's window.
    SingleInstance instance(QDBusConnection::sessionBus());
    switch (instance.claim()) {
    case SingleInstance::Claim::Owner:
        break;
    case SingleInstance::Claim::HandedOver:
        return 0;
    case SingleInstance::Claim::Failed:
        std::fputs("voltquill: Voltquill läuft schon, antwortet aber nicht.\n", stderr);
        return 1;
    }
    loadStringTable();

    SettingsStore settings(ConfigPaths::configDir() + QStringLiteral("/settings.json"));
    Prefs::bind(&settings);

    const QString sysfsRoot = SysfsPaths::sysfsRoot();
    SystemClock clock;
    SysfsBatteryRegistry registry(sysfsRoot);
    ChargeLimit chargeLimit(ChargeClientFactory::create());
    AppState state(chargeLimit, registry, clock);

    FreedesktopNotificationCenter notificationCenter;
    Notifier notifier(notificationCenter);
    History history(ConfigPaths::dataHome());
    AutostartLoginItem loginItem(ConfigPaths::configHome(), QApplication::applicationFilePath());
    LinuxSystemEvents events(sysfsRoot, SysfsPaths::isMoved());

    DesktopSettingsPanes panes(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    StatusItem statusItem(
        state, nullptr,
        {.statusNotifierHost = &StatusNotifierHost::isRegistered,
         .glyphCacheFile = ConfigPaths::cacheHome() + QStringLiteral("/Voltquill/icon-glyphs.json"),
         .fontSetup = FontSetup::stamp()});
    SettingsWindow window(
        {.state = state,
         .history = history,
         .notifier = notifier,
         .notificationsDenied =
             [&notificationCenter](std::function<void(bool)> done) {
                 notificationCenter.authorizationStatus([done = std::move(done)](auto status) {
                     done(status == NotificationCenter::AuthorizationStatus::Denied);
                 });
             },
         .loginItem = &loginItem,
         .panes = &panes,
         .onIconChange = [&statusItem] { statusItem.updateStatusItem(); },
         .quit = &QCoreApplication::quit,
         .otherThresholdWriters =
             [sysfsRoot] { return ThresholdWriters::onThisMachine(sysfsRoot); }});
    statusItem.setWindow(&window);

    AppDelegate delegate({.state = state,
                          .notifier = notifier,
                          .history = history,
                          .loginItem = &loginItem,
                          .events = &events,
                          .item = &statusItem,
                          .window = &window});
    // Quitting from the menu or the window ends the event loop; the parts above
    // are then destroyed in reverse order, so nothing needs the delegate for it.
    QObject::connect(&statusItem, &StatusItem::quitRequested, &app, &QCoreApplication::quit);
    instance.setReopenHandler([&delegate] { delegate.applicationShouldHandleReopen(); });
    QMetaObject::invokeMethod(&delegate, &AppDelegate::applicationDidFinishLaunching,
                              Qt::QueuedConnection);
    return QApplication::exec();
}
} // namespace

int main(int argc, char *argv[])
{
    parseOptions(argc, argv);
    return run(argc, argv);
}
