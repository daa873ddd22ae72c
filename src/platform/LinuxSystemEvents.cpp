// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LinuxSystemEvents.h"

#include "platform/ChargeClientFactory.h"
#include "platform/PlatformLog.h"
#include "shared/ChargeBus.h"
#include "shared/PowerSupply.h"
#include "shared/SysfsPaths.h"
#include "shared/ThresholdControls.h"

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QSocketNotifier>
#include <libudev.h>

LinuxSystemEvents::LinuxSystemEvents(QString sysfsRoot, bool watchFiles, QObject *parent)
    : LinuxSystemEvents(std::move(sysfsRoot), watchFiles, ChargeClientFactory::busFromEnvironment(),
                        parent)
{
}

LinuxSystemEvents::LinuxSystemEvents(QString sysfsRoot, bool watchFiles, QDBusConnection chargeBus,
                                     QObject *parent)
    : SystemEvents(parent), m_sysfsRoot(std::move(sysfsRoot)), m_watchFiles(watchFiles),
      m_chargeBus(std::move(chargeBus))
{
    m_chargeSettle.setSingleShot(true);
    m_chargeSettle.setInterval(20);
    connect(&m_chargeSettle, &QTimer::timeout, this, &SystemEvents::powerSourceChanged);
    // A burst of events (a chatty driver, another program writing the
    // threshold in a loop) is one rescan and one tick, 100 ms after its first
    // event: not restarted by later ones, so the tray still follows within a
    // fraction of a second. At 20 ms a loop of writes cost the agent 12 % of a
    // core, at 100 ms 4 %, as little as the service.
    m_eventFold.setSingleShot(true);
    m_eventFold.setInterval(100);
    connect(&m_eventFold, &QTimer::timeout, this, [this] {
        rewatchFiles(); // a battery may have come
        Q_EMIT powerSourceChanged();
    });
}

LinuxSystemEvents::~LinuxSystemEvents()
{
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

bool LinuxSystemEvents::start()
{
    QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(prepareForSleep(bool)));
    // The service announces what the batteries do that no power event tells
    // (a suspension ended, a reset written over); it costs the idle service
    // nothing.
    if (m_chargeBus.isConnected()) {
        // A service that starts puts back or ends what it must before it
        // takes its name, unheard: its arrival is news too.
        auto *arrival = new QDBusServiceWatcher(ChargeBus::serviceName, m_chargeBus,
                                                QDBusServiceWatcher::WatchForRegistration, this);
        connect(arrival, &QDBusServiceWatcher::serviceRegistered, this,
                &LinuxSystemEvents::chargePropertiesChanged);
        m_chargeBus.connect(ChargeBus::serviceName, ChargeBus::objectPath,
                            QStringLiteral("org.freedesktop.DBus.Properties"),
                            QStringLiteral("PropertiesChanged"), this,
                            SLOT(chargePropertiesChanged()));
    }
    // A write through the file system raises no uevent, but it reaches
    // inotify, on sysfs too: another program's threshold shows at once. So
    // the thresholds are watched beside udev as well.
    startFileWatch();
    return m_watchFiles || startUdev();
}

bool LinuxSystemEvents::startUdev()
{
    m_udev = udev_new();
    if (!m_udev)
        return false;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "power_supply", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0)
        return false;
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LinuxSystemEvents::readUdev);
    return true;
}

void LinuxSystemEvents::readUdev()
{
    // Drain what has queued up, then tick once: a plug-in raises several events.
    bool any = false;
    while (udev_device *device = udev_monitor_receive_device(m_monitor)) {
        // QDebug takes a null text as empty.
        qCDebug(lcEvents).noquote()
            << "udev:" << udev_device_get_action(device) << udev_device_get_sysname(device);
        udev_device_unref(device);
        any = true;
    }
    if (any)
        fold();
}

bool LinuxSystemEvents::startFileWatch()
{
    m_watcher = new QFileSystemWatcher(this);
    const auto changed = [this](const QString &path) {
        qCDebug(lcEvents, "changed: %s", qPrintable(path));
        fold();
    };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    rewatchFiles();
    return true;
}

void LinuxSystemEvents::fold()
{
    if (!m_eventFold.isActive())
        m_eventFold.start();
}

void LinuxSystemEvents::rewatchFiles()
{
    // Without udev, the files whose changes a kernel announces with a uevent:
    // plugging, unplugging, the battery's state and its charge level. Always,
    // the attributes that decide the limit in force (the thresholds and the
    // charge mode they need, wherever the laptop's family keeps them), which
    // another program may write.
    const QString dir = SysfsPaths::powerSupplyDir(m_sysfsRoot);
    QStringList paths;
    if (m_watchFiles) {
        paths << dir;
        for (const PowerSupply &supply : PowerSupply::enumerate(dir)) {
            for (const char *attribute : {"/online", "/status", "/capacity"})
                paths << supply.path() + QLatin1String(attribute);
        }
    }
    ThresholdControls thresholds(m_sysfsRoot);
    thresholds.rescan();
    paths << thresholds.watchedFiles();
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    QStringList missing;
    for (const QString &path : paths)
        if (!watched.contains(path) && QFileInfo::exists(path))
            missing << path;
    if (!missing.isEmpty())
        m_watcher->addPaths(missing);
}

void LinuxSystemEvents::chargePropertiesChanged()
{
    qCDebug(lcEvents, "the charge service announced a change");
    if (!m_chargeSettle.isActive())
        m_chargeSettle.start();
}

void LinuxSystemEvents::prepareForSleep(bool sleeping)
{
    if (!sleeping) {
        qCDebug(lcEvents, "woke up");
        Q_EMIT didWake();
    }
}
