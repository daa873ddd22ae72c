// SPDX-License-Identifier: GPL-3.0-or-later
#include "PolkitTextAgent.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace
{
// pkttyagent closes its end of the pipe once it has registered.
constexpr int RegisterWaitMs = 5000;
} // namespace

PolkitTextAgent::~PolkitTextAgent()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(1000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

bool PolkitTextAgent::start()
{
    if (!::isatty(STDIN_FILENO))
        return false;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pkttyagent"));
    if (program.isEmpty())
        return false;
    int notify[2];
    if (::pipe2(notify, O_CLOEXEC) != 0)
        return false;
    const int writeEnd = notify[1];
    m_process.setProgram(program);
    m_process.setArguments(
        {QStringLiteral("--process"), QString::number(QCoreApplication::applicationPid()),
         QStringLiteral("--notify-fd"), QString::number(writeEnd), QStringLiteral("--fallback")});
    // The password is typed into the terminal, and the prompt goes there.
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.setInputChannelMode(QProcess::ForwardedInputChannel);
    m_process.setChildProcessModifier([writeEnd] { ::fcntl(writeEnd, F_SETFD, 0); });
    m_process.start();
    ::close(writeEnd);
    const bool started = m_process.waitForStarted(RegisterWaitMs);
    if (started) {
        pollfd registered{notify[0], POLLIN, 0};
        char byte;
        while (::poll(&registered, 1, RegisterWaitMs) > 0 && ::read(notify[0], &byte, 1) > 0) {
        }
    }
    ::close(notify[0]);
    return started;
}
