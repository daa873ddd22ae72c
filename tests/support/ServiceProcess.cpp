// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ServiceProcess.h"

#include "shared/ChargeBus.h"
#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>

namespace
{
QProcessEnvironment serviceEnvironment(QProcessEnvironment environment, const QString &sysfsRoot,
                                       const QString &stateDir, bool sessionMode)
{
    environment.insert(QStringLiteral("VOLTQUILL_SYSFS_ROOT"), sysfsRoot);
    environment.insert(QStringLiteral("VOLTQUILL_STATE_DIR"), stateDir);
    if (sessionMode)
        environment.insert(QStringLiteral("VOLTQUILL_CHARGE_BUS"), QStringLiteral("session"));
    else
        environment.remove(QStringLiteral("VOLTQUILL_CHARGE_BUS"));
    return environment;
}
} // namespace

ServiceProcess::ServiceProcess(const PrivateBus &bus, QString sysfsRoot, QString stateDir,
                               bool sessionMode)
    : m_bus(bus), m_sysfsRoot(std::move(sysfsRoot)), m_stateDir(std::move(stateDir)),
      m_sessionMode(sessionMode)
{
}

ServiceProcess::~ServiceProcess()
{
    stop();
}

QString ServiceProcess::binary()
{
    return QStringLiteral(CHARGED_BINARY);
}

void ServiceProcess::logTo(const QString &file, const QString &rules, bool journal)
{
    m_logFile = file;
    m_logRules = rules;
    m_logToJournal = journal;
}

bool ServiceProcess::start(const QStringList &arguments)
{
    QProcessEnvironment environment =
        serviceEnvironment(m_bus.environment(), m_sysfsRoot, m_stateDir, m_sessionMode);
    environment.remove(QStringLiteral("JOURNAL_STREAM"));
    if (m_logFile.isEmpty()) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    } else {
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), m_logRules);
        environment.remove(QStringLiteral("QT_MESSAGE_PATTERN"));
        QFile file(m_logFile);
        struct stat status = {};
        if (m_logToJournal && file.open(QIODevice::Append) &&
            ::stat(QFile::encodeName(m_logFile).constData(), &status) == 0)
            environment.insert(QStringLiteral("JOURNAL_STREAM"),
                               QStringLiteral("%1:%2").arg(status.st_dev).arg(status.st_ino));
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setStandardErrorFile(m_logFile, QIODevice::Append);
    }
    m_process.setProcessEnvironment(environment);
    m_process.start(binary(), arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    return m_bus.waitForName(ChargeBus::serviceName);
}

bool ServiceProcess::makeActivatable(PrivateBus &bus, const QString &serviceDir,
                                     const QString &sysfsRoot, const QString &stateDir,
                                     const QByteArray &arguments)
{
    QFile activation(
        QDir(serviceDir).filePath(ChargeBus::serviceName + QStringLiteral(".service")));
    if (!activation.open(QIODevice::WriteOnly))
        return false;
    activation.write("[D-BUS Service]\nName=" + ChargeBus::serviceName.toUtf8() +
                     "\nExec=" + QFile::encodeName(binary()) + ' ' + arguments + '\n');
    bus.setDaemonEnvironment(
        serviceEnvironment(QProcessEnvironment::systemEnvironment(), sysfsRoot, stateDir, true));
    return true;
}

double ServiceProcess::residentMiB() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid()));
    if (!isRunning() || !status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

QString ServiceProcess::endDescription() const
{
    if (isRunning())
        return QStringLiteral("still running");
    return m_process.exitStatus() == QProcess::CrashExit
               ? QStringLiteral("crashed (%1)").arg(m_process.errorString())
               : QStringLiteral("exited with %1").arg(m_process.exitCode());
}

void ServiceProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        kill();
    // The bus lets the name go a moment after the process ends.
    const QDBusConnection bus = m_bus.connection();
    [[maybe_unused]] const bool released = QTest::qWaitFor(
        [&] { return !bus.interface()->isServiceRegistered(ChargeBus::serviceName).value(); },
        5000);
}

void ServiceProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

QDBusMessage ServiceProcess::call(const QString &method, const QVariantList &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        ChargeBus::serviceName, ChargeBus::objectPath, ChargeBus::interfaceName, method);
    message.setArguments(arguments);
    return m_bus.connection().call(message, QDBus::Block, 5000);
}
