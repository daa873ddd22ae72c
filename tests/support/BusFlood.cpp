// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/BusFlood.h"

#include "support/PrivateBus.h"

#include <QTest>

BusFlood::~BusFlood()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool BusFlood::start(const QStringList &arguments, int timeoutMs)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("setpriv"),
                    QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups"), QStringLiteral(BUS_FLOOD_BINARY),
                                m_bus.address()} +
                        arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    return QTest::qWaitFor(
               [this] {
                   return m_process.canReadLine() || m_process.state() == QProcess::NotRunning;
               },
               timeoutMs) &&
           m_process.readLine().trimmed() == "sent";
}

QMap<QString, int> BusFlood::answers(int timeoutMs)
{
    QMap<QString, int> answers;
    if (!QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs))
        return answers;
    for (const QByteArray &line : m_process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 2)
            answers.insert(QString::fromUtf8(fields[0]), fields[1].toInt());
    }
    return answers;
}
