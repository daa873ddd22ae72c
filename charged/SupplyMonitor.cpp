// SPDX-License-Identifier: GPL-3.0-or-later
#include "SupplyMonitor.h"

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

SupplyMonitor::SupplyMonitor(QObject *parent) : QObject(parent)
{
    // Writers truncate before they write: read a moment after the first
    // event. The wait is not restarted by later ones, so a steady stream of
    // events (a flapping adapter, a chatty driver) cannot put off reading.
    m_fold.setSingleShot(true);
    m_fold.setInterval(20);
    connect(&m_fold, &QTimer::timeout, this, &SupplyMonitor::changed);
}

SupplyMonitor::~SupplyMonitor()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

bool SupplyMonitor::listenToKernel()
{
    m_socket =
        ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    if (m_socket < 0)
        return false;
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = 1; // the kernel's own uevents
    if (::bind(m_socket, reinterpret_cast<sockaddr *>(&address), sizeof address) < 0) {
        ::close(m_socket);
        m_socket = -1;
        return false;
    }
    m_notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SupplyMonitor::readUevents);
    return true;
}

void SupplyMonitor::readUevents()
{
    char buffer[8192];
    for (;;) {
        const ssize_t size = ::recv(m_socket, buffer, sizeof buffer - 1, 0);
        if (size <= 0)
            return;
        buffer[size] = '\0';
        // "ACTION@DEVPATH\0KEY=VALUE\0…"
        for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(qstrlen(buffer + at)) + 1) {
            if (qstrcmp(buffer + at, "SUBSYSTEM=power_supply") == 0) {
                fold();
                break;
            }
        }
    }
}

void SupplyMonitor::fold()
{
    if (!m_fold.isActive())
        m_fold.start();
}

void SupplyMonitor::watch(const QStringList &files, const QStringList &directories)
{
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { fold(); });
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { fold(); });
    }
    // A file replaced by a rename drops out of the watch: renew every path.
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    m_watcher->addPaths(files + directories);
}
