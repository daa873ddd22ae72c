// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class QFileSystemWatcher;
class QSocketNotifier;

// Tells when a power supply changed: from the kernel's uevents on the
// power_supply subsystem, or, with a moved sysfs root, from watching the
// given files and folders. Events within 20 ms of the first are folded into
// one changed().
class SupplyMonitor : public QObject
{
    Q_OBJECT
public:
    explicit SupplyMonitor(QObject *parent = nullptr);
    ~SupplyMonitor() override;

    bool listenToKernel();
    void watch(const QStringList &files, const QStringList &directories);

Q_SIGNALS:
    void changed();

private:
    void readUevents();
    void fold();

    int m_socket = -1;
    QSocketNotifier *m_notifier = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_fold;
};
