// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM and SIGINT as a Qt signal, so the service ends through its event
// loop (and allows a charge it inhibited) instead of dying where it stands.
// block() must run before any thread starts: the threads inherit the mask.
class StopSignal : public QObject
{
    Q_OBJECT
public:
    static void block();

    explicit StopSignal(QObject *parent = nullptr);
    ~StopSignal() override;

Q_SIGNALS:
    void received();

private:
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
