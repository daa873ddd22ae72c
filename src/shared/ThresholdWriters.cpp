// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/ThresholdWriters.h"

#include "shared/PowerSupply.h"
#include "shared/RegularFile.h"
#include "shared/SysfsPaths.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QMap>
#include <QRegularExpression>

namespace
{
struct Setting {
    QString value;
    QString file;
};

// TLP reads /etc/tlp.d/*.conf in order, then /etc/tlp.conf; the last
// assignment wins, and an empty value means "not configured".
void readTlpFile(const QString &path, QMap<QString, Setting> &settings)
{
    static const QRegularExpression assignment(
        QStringLiteral(R"re(^\s*((?:START|STOP)_CHARGE_THRESH_BAT\w*)\s*=\s*"?([^"#\s]*)"?)re"));
    // Configuration files are small; a bound keeps a strange one cheap. /etc
    // may hold links, but a FIFO or device in their place must not hang us.
    const RegularFile::Contents file =
        RegularFile::read(path, 256 << 10, RegularFile::Links::Follow);
    if (file.status == RegularFile::Status::Refused)
        qCWarning(lcFiles, "%s %s und wird nicht gelesen.", qPrintable(path),
                  qPrintable(file.refusal));
    if (file.status != RegularFile::Status::Read)
        return;
    const QStringList lines = QString::fromUtf8(file.data).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = assignment.match(line);
        if (match.hasMatch())
            settings.insert(match.captured(1), {match.captured(2), path});
    }
}

QString upowerPath(const QString &battery)
{
    // UPower names its objects after the sysfs name, other characters as '_'.
    QString name = battery;
    for (QChar &c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_')
            c = u'_';
    return QStringLiteral("/org/freedesktop/UPower/devices/battery_") + name;
}
} // namespace

QString ThresholdWriters::configRoot()
{
    const QString moved = qEnvironmentVariable("VOLTQUILL_ETC_ROOT");
    return moved.isEmpty() ? QStringLiteral("/etc") : moved;
}

QStringList ThresholdWriters::tlpSettings(const QString &configRoot)
{
    QMap<QString, Setting> settings;
    const QDir dropIns(configRoot + QStringLiteral("/tlp.d"));
    for (const QString &name :
         dropIns.entryList({QStringLiteral("*.conf")}, QDir::Files | QDir::Readable, QDir::Name))
        readTlpFile(dropIns.filePath(name), settings);
    readTlpFile(configRoot + QStringLiteral("/tlp.conf"), settings);

    QStringList found;
    for (auto it = settings.begin(); it != settings.end(); ++it)
        if (!it->value.isEmpty())
            found << QStringLiteral("%1 in %2").arg(it.key(), it->file);
    return found;
}

bool ThresholdWriters::upowerKeepsThreshold(const QDBusConnection &bus,
                                            const QStringList &batteries)
{
    const QString service = QStringLiteral("org.freedesktop.UPower");
    // Not started just to be asked.
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service).value())
        return false;
    for (const QString &battery : batteries) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            service, upowerPath(battery), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.UPower.Device")
            << QStringLiteral("ChargeThresholdEnabled");
        const QDBusMessage reply = bus.call(get, QDBus::Block, 500);
        if (reply.type() == QDBusMessage::ReplyMessage &&
            reply.arguments().value(0).value<QDBusVariant>().variant().toBool())
            return true;
    }
    return false;
}

QStringList ThresholdWriters::find(const QString &configRoot, const QStringList &batteries,
                                   const QDBusConnection &bus)
{
    QStringList notes;
    const QStringList tlp = tlpSettings(configRoot);
    if (!tlp.isEmpty())
        notes << QCoreApplication::translate(
                     "Voltquill", "TLP schreibt ebenfalls Ladeschwellen (%1). Zwei Programme "
                                  "ändern dann denselben Wert: nimm die Schwellen aus TLPs "
                                  "Einstellungen oder setze hier kein Limit.")
                     .arg(tlp.join(QStringLiteral(", ")));
    if (upowerKeepsThreshold(bus, batteries))
        notes << QCoreApplication::translate(
            "Voltquill", "UPower hält ebenfalls eine Ladeschwelle (der Akkuschutz in den "
                         "Energieeinstellungen ist an). Zwei Programme ändern dann denselben "
                         "Wert: schalte ihn dort aus oder setze hier kein Limit.");
    return notes;
}

QStringList ThresholdWriters::onThisMachine(const QString &sysfsRoot)
{
    QStringList batteries;
    for (const PowerSupply &supply : PowerSupply::enumerate(SysfsPaths::powerSupplyDir(sysfsRoot)))
        if (supply.isSystemBattery())
            batteries << supply.name();
    return find(configRoot(), batteries, QDBusConnection::systemBus());
}
