// The agent: wires the core to the Linux adapters and the user interface.
#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/L.h"
#include "app/SystemClock.h"
#include "platform/AutostartLoginItem.h"
#include "platform/ChargeClientFactory.h"
#include "platform/LinuxSystemEvents.h"
#include "platform/SysfsBatteryRegistry.h"
#include "platform/SysfsPaths.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "policy/SilentNotificationCenter.h"
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
    ChargeLimit chargeLimit(ChargeClientFactory::create());
    AppState state(chargeLimit, registry, clock);

    SilentNotificationCenter notificationCenter;
    Notifier notifier(notificationCenter);
    History history(ConfigPaths::dataHome());
    AutostartLoginItem loginItem(ConfigPaths::configHome(), QApplication::applicationFilePath());
    LinuxSystemEvents events(sysfsRoot, SysfsPaths::isMoved());

    AppDelegate delegate({.state = state,
                          .notifier = notifier,
                          .history = history,
                          .loginItem = &loginItem,
                          .events = &events,
                          .item = nullptr,
                          .window = nullptr});
    QMetaObject::invokeMethod(&delegate, &AppDelegate::applicationDidFinishLaunching,
                              Qt::QueuedConnection);
    return QApplication::exec();
}
