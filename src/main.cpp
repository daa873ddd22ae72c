// The agent: wires the core to the Linux adapters and the user interface.
#include "app/AppDelegate.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/L.h"
#include "app/StatusItemView.h"
#include "app/SystemClock.h"
#include "platform/AutostartLoginItem.h"
#include "platform/DesktopSettingsPanes.h"
#include "platform/LinuxSystemEvents.h"
#include "platform/SingleInstance.h"
#include "platform/SysfsBatteryRegistry.h"
#include "platform/SysfsPaths.h"
#include "policy/History.h"
#include "policy/Notifier.h"
#include "policy/SilentNotificationCenter.h"
#include "settings/ConfigPaths.h"
#include "window/SettingsWindow.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Voltquill"));
    QApplication::setDesktopFileName(QStringLiteral("voltquill"));
    QApplication::setQuitOnLastWindowClosed(false);

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

    const QString sysfsRoot = SysfsPaths::sysfsRoot();
    SystemClock clock;
    SysfsBatteryRegistry registry(sysfsRoot);
    ChargeLimit chargeLimit(nullptr);
    AppState state(chargeLimit, registry, clock);

    SilentNotificationCenter notificationCenter;
    Notifier notifier(notificationCenter);
    History history(ConfigPaths::dataHome());
    AutostartLoginItem loginItem(ConfigPaths::configHome(), QApplication::applicationFilePath());
    LinuxSystemEvents events(sysfsRoot, SysfsPaths::isMoved());

    DesktopSettingsPanes panes(qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    StatusItemView *statusItem = nullptr;
    AppDelegate *delegateRef = nullptr;
    SettingsWindow window({.state = state,
                           .history = history,
                           .notifier = notifier,
                           .notificationsDenied =
                               [&notificationCenter](std::function<void(bool)> done) {
                                   // Without a prompt of its own, the centre's
                                   // authorisation answer says whether it refuses.
                                   notificationCenter.requestAuthorization(
                                       [done = std::move(done)](bool granted) { done(!granted); });
                               },
                           .loginItem = &loginItem,
                           .panes = &panes,
                           .onIconChange =
                               [&statusItem] {
                                   if (statusItem)
                                       statusItem->updateStatusItem();
                               },
                           .quit =
                               [&delegateRef] {
                                   if (delegateRef)
                                       delegateRef->quit();
                               }});

    AppDelegate delegate({.state = state,
                          .notifier = notifier,
                          .history = history,
                          .loginItem = &loginItem,
                          .events = &events,
                          .item = statusItem,
                          .window = &window});
    delegateRef = &delegate;
    instance.setReopenHandler([&delegate] { delegate.applicationShouldHandleReopen(); });
    QMetaObject::invokeMethod(&delegate, &AppDelegate::applicationDidFinishLaunching,
                              Qt::QueuedConnection);
    return QApplication::exec();
}
