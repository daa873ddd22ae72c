// SPDX-License-Identifier: GPL-3.0-or-later
#include "StopSignal.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace
{
sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}
} // namespace

void StopSignal::block()
{
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StopSignal::StopSignal(QObject *parent) : QObject(parent)
{
    const sigset_t set = stopSignals();
    m_fd = ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info{};
        while (::read(m_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
            Q_EMIT received();
    });
}

StopSignal::~StopSignal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
