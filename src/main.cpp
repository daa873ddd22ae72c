// The agent: wires the core to the Linux adapters and the user interface.
#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/L.h"
#include "app/SystemClock.h"
#include "menubar/StatusItem.h"
#include "platform/AutostartLoginItem.h"
#include "platform/FreedesktopNotificationCenter.h"
#include "platform/LinuxSystemEvents.h"
#include "platform/StatusNotifierHost.h"
#include "platform/SysfsBatteryRegistry.h"
#include "platform/SysfsPaths.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "settings/ConfigPaths.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Voltquill"));
    QApplication::setDesktopFileName(QStringLiteral("voltquill"));
    QApplication::setQuitOnLastWindowClosed(false);
    loadStringTable();

    const QString sysfsRoot = SysfsPaths::sysfsRoot();
    SystemClock clock;
    SysfsBatteryRegistry registry(sysfsRoot);
    ChargeLimit chargeLimit(nullptr);
    AppState state(chargeLimit, registry, clock);

    FreedesktopNotificationCenter notificationCenter;
    Notifier notifier(notificationCenter);
    History history(ConfigPaths::dataHome());
    AutostartLoginItem loginItem(ConfigPaths::configHome(), QApplication::applicationFilePath());
    LinuxSystemEvents events(sysfsRoot, SysfsPaths::isMoved());

    StatusItem statusItem(state, nullptr,
                          {.statusNotifierHost = &StatusNotifierHost::isRegistered});

    AppDelegate delegate({.state = state,
                          .notifier = notifier,
                          .history = history,
                          .loginItem = &loginItem,
                          .events = &events,
                          .item = &statusItem,
                          .window = nullptr});
    QObject::connect(&statusItem, &StatusItem::quitRequested, &delegate, &AppDelegate::quit);
    QMetaObject::invokeMethod(&delegate, &AppDelegate::applicationDidFinishLaunching,
                              Qt::QueuedConnection);
    return QApplication::exec();
}
