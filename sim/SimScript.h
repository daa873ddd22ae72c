// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class Laptop;

// Runs commands on the simulated laptop in order, one a line (from standard
// input) or a word at a time (from the command line). "wait" holds the rest
// back while the laptop goes on evolving.
class SimScript : public QObject
{
    Q_OBJECT
public:
    explicit SimScript(Laptop &laptop, QObject *parent = nullptr);

    static QString help();

    // Splits arguments into commands ("level 50" or "level=50").
    static QStringList commandsFromArguments(const QStringList &arguments);

    void feed(const QString &command);
    bool idle() const { return m_queue.isEmpty() && !m_waiting.isActive(); }

Q_SIGNALS:
    void speedChanged(double factor);
    void quitRequested();
    void failed(const QString &message);

private:
    void runQueued();
    bool run(const QString &command);

    Laptop &m_laptop;
    QStringList m_queue;
    QTimer m_waiting;
};
