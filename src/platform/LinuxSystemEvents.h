#pragma once

#include "app/SystemEvents.h"

#include <QFileSystemWatcher>
#include <QString>

struct udev;
struct udev_monitor;
class QSocketNotifier;

// Power-source changes from a udev monitor on the power_supply subsystem (or,
// with a moved sysfs root, from watching the supplies' state files) and
// wake-ups from logind's PrepareForSleep(false).
class LinuxSystemEvents : public SystemEvents
{
    Q_OBJECT
public:
    // watchFiles: watch the tree under sysfsRoot instead of listening to udev.
    LinuxSystemEvents(QString sysfsRoot, bool watchFiles, QObject *parent = nullptr);
    ~LinuxSystemEvents() override;

    bool start() override;

private Q_SLOTS:
    void prepareForSleep(bool sleeping);

private:
    bool startUdev();
    bool startFileWatch();
    void readUdev();
    void rewatchFiles();

    QString m_sysfsRoot;
    bool m_watchFiles;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
};
