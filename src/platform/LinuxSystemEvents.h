// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/SystemEvents.h"

#include <QDBusConnection>
#include <QFileSystemWatcher>
#include <QString>
#include <QTimer>

struct udev;
struct udev_monitor;
class QSocketNotifier;

// Power-source changes from a udev monitor on the power_supply subsystem (or,
// with a moved sysfs root, from watching the supplies' state files), writes
// to the batteries' thresholds (watched either way), changes the charge
// service announces (it ended a suspension, put a threshold back), and
// wake-ups from logind's PrepareForSleep(false).
class LinuxSystemEvents : public SystemEvents
{
    Q_OBJECT
public:
    // watchFiles: watch the tree under sysfsRoot instead of listening to udev.
    // The charge service is heard on VOLTQUILL_CHARGE_BUS's bus.
    LinuxSystemEvents(QString sysfsRoot, bool watchFiles, QObject *parent = nullptr);
    LinuxSystemEvents(QString sysfsRoot, bool watchFiles, QDBusConnection chargeBus,
                      QObject *parent = nullptr);
    ~LinuxSystemEvents() override;

    bool start() override;

private Q_SLOTS:
    void prepareForSleep(bool sleeping);
    void chargePropertiesChanged();

private:
    bool startUdev();
    bool startFileWatch();
    void readUdev();
    void rewatchFiles();
    void fold();

    QString m_sysfsRoot;
    bool m_watchFiles;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
    QDBusConnection m_chargeBus;
    // The charge client hears the same signal: tick once it has.
    QTimer m_chargeSettle;
    QTimer m_eventFold;
};
