// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>

// polkit's text agent (pkttyagent) for this process, so that polkit can ask
// for a password in the terminal, as systemctl does. Started only when stdin
// is a terminal; ended with this object.
class PolkitTextAgent
{
public:
    PolkitTextAgent() = default;
    ~PolkitTextAgent();
    PolkitTextAgent(const PolkitTextAgent &) = delete;
    PolkitTextAgent &operator=(const PolkitTextAgent &) = delete;

    // Starts the agent and waits until it has registered with polkit. False
    // when stdin is no terminal or pkttyagent is missing: polkit then answers
    // without asking anyone.
    bool start();

private:
    QProcess m_process;
};
