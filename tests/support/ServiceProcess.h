// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusMessage>
#include <QProcess>
#include <QVariantList>

class PrivateBus;

// voltquill-charged on a private bus, against a fake sysfs tree and a state
// folder of the test's.
class ServiceProcess
{
public:
    ServiceProcess(const PrivateBus &bus, QString sysfsRoot, QString stateDir, bool sessionMode);
    ~ServiceProcess();

    static QString binary();
    // Lets `bus`, made with `serviceDir`, start the service on demand with
    // `arguments` (D-Bus activation, session mode). Call before the bus starts.
    static bool makeActivatable(PrivateBus &bus, const QString &serviceDir,
                                const QString &sysfsRoot, const QString &stateDir,
                                const QByteArray &arguments = {});

    // For the next start: stderr into `file` (appended) instead of the
    // test's own, QT_LOGGING_RULES set to `rules` (empty: Qt's defaults) and
    // Qt's message pattern. `journal`: `file` stands for the journal's stream
    // (JOURNAL_STREAM names it).
    void logTo(const QString &file, const QString &rules, bool journal = false);
    bool start(const QStringList &arguments = {});
    void stop();
    void kill();
    qint64 pid() const { return m_process.processId(); }
    // The service's resident memory now, in MiB (-1 when not running).
    double residentMiB() const;
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // How the process ended, for a failure message.
    QString endDescription() const;

    // One call to the charge service; the reply or the error message.
    QDBusMessage call(const QString &method, const QVariantList &arguments = {}) const;

private:
    const PrivateBus &m_bus;
    QString m_sysfsRoot;
    QString m_stateDir;
    bool m_sessionMode;
    QProcess m_process;
    QString m_logFile;
    QString m_logRules;
    bool m_logToJournal = false;
};
