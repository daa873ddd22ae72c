// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>

// One agent per session. The first start owns org.voltquill.Agent on the
// session bus; a later start calls its Reopen, which shows the settings
// window there, and then ends.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.voltquill.Agent")
public:
    enum class Claim {
        Owner,      // this process is the agent (also when no session bus is there)
        HandedOver, // the running agent was asked to show its window
        Failed,     // another agent owns the name but did not answer
    };

    static const QString serviceName;
    static const QString objectPath;

    explicit SingleInstance(QDBusConnection bus, QObject *parent = nullptr);

    Claim claim();
    void setReopenHandler(std::function<void()> handler) { m_reopen = std::move(handler); }

public Q_SLOTS:
    Q_SCRIPTABLE void Reopen();

private:
    QDBusConnection m_bus;
    std::function<void()> m_reopen;
};
