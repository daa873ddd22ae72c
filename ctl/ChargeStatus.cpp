// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChargeStatus.h"

#include "ChargeCall.h"
#include "shared/ThresholdControls.h"
#include "shared/ThresholdWriters.h"

#include <QDir>
#include <QJsonArray>
#include <QTextStream>

namespace
{
QString statusText(const QString &status)
{
    if (status == u"Charging")
        return QStringLiteral("lädt");
    if (status == u"Discharging")
        return QStringLiteral("entlädt");
    if (status == u"Not charging")
        return QStringLiteral("lädt nicht");
    if (status == u"Full")
        return QStringLiteral("voll");
    return QStringLiteral("Zustand unbekannt");
}

QString percentList(const QList<int> &values)
{
    QStringList texts;
    for (int value : values)
        texts << QString::number(value);
    return texts.join(QStringLiteral(", ")) + QStringLiteral(" %");
}

// A limit in force: 1–99; 100 (and 0, Sony's "off") mean none.
bool isLimit(int percent)
{
    return percent >= 1 && percent <= 99;
}
} // namespace

ChargeStatus ChargeStatus::read(const ChargeCall &call, const QString &sysfsRoot,
                                const QDBusConnection &systemBus)
{
    ChargeStatus status;
    ThresholdControls controls(sysfsRoot);
    controls.rescan();
    QStringList batteryNames;
    for (const PowerSupply &supply : controls.batteries()) {
        const auto capacity = supply.number("capacity");
        status.m_batteries.append(
            {supply.name(),
             capacity ? std::optional<int>(static_cast<int>(*capacity)) : std::nullopt,
             QString::fromUtf8(supply.text("status").value_or(QByteArray()))});
        batteryNames << supply.name();
    }
    if (!controls.adapters().isEmpty()) {
        bool online = false;
        for (const PowerSupply &adapter : controls.adapters())
            online = online || adapter.isOnline();
        status.m_adapterOnline = online;
    }
    if (controls.isSupported()) {
        status.m_threshold = controls.endThreshold();
        for (const ThresholdControls::Control &control : controls.controls())
            status.m_thresholdFiles << QDir(sysfsRoot).relativeFilePath(control.end);
        status.m_family = controls.family().name;
    }
    status.m_otherWriters =
        ThresholdWriters::find(ThresholdWriters::configRoot(), batteryNames, systemBus);

    const QVariantMap properties = call.properties();
    const QDBusMessage supported = call.query(QStringLiteral("IsSupported"));
    const QDBusMessage offered = call.query(QStringLiteral("AvailableLimits"));
    status.m_service = !properties.isEmpty() && supported.type() == QDBusMessage::ReplyMessage;
    if (status.m_service) {
        status.m_supported = supported.arguments().value(0).toBool();
        status.m_currentLimit = properties.value(QStringLiteral("CurrentLimit")).toInt();
        status.m_keptLimit = properties.value(QStringLiteral("KeptLimit")).toInt();
        status.m_suspended = properties.value(QStringLiteral("Suspended")).toBool();
        for (const char limit : offered.arguments().value(0).toByteArray())
            status.m_offered.append(static_cast<uchar>(limit));
    }
    return status;
}

int ChargeStatus::limitInForce() const
{
    if (m_threshold)
        return isLimit(*m_threshold) ? *m_threshold : 100;
    return m_currentLimit;
}

QString ChargeStatus::heldBy() const
{
    if (!m_threshold && !m_service)
        return QStringLiteral("unbekannt: keine Ladeschwelle und kein Ladedienst");
    if (m_suspended)
        return QStringLiteral("ausgesetzt, bis das Netzteil abgezogen wird; danach gilt wieder "
                              "%1 %")
            .arg(m_keptLimit);
    const int inForce = limitInForce();
    if (!m_service)
        return QStringLiteral("von der Ladeschwelle; der Ladedienst ist nicht erreichbar");
    if (inForce == m_keptLimit && isLimit(inForce))
        return QStringLiteral("vom Ladedienst, auch nach Neustart, Aufwachen und "
                              "Treiber-Rücksetzungen");
    if (inForce == m_keptLimit)
        return QStringLiteral("kein Ladelimit: der Akku lädt voll");
    return QStringLiteral("die Ladeschwelle hält %1 %, der Ladedienst %2 %: er übernimmt einen "
                          "angebotenen Wert und schreibt einen anderen über")
        .arg(inForce)
        .arg(m_keptLimit);
}

QString ChargeStatus::text() const
{
    QString text;
    QTextStream out(&text);
    const auto line = [&out](const char *label, const QString &value) {
        out << QString::fromUtf8(label).leftJustified(18) << value << '\n';
    };
    QStringList batteries;
    for (const Battery &battery : m_batteries)
        batteries << QStringLiteral("%1 %2, %3")
                         .arg(battery.name,
                              battery.capacity ? QStringLiteral("%1 %").arg(*battery.capacity)
                                               : QStringLiteral("? %"),
                              statusText(battery.status));
    line("Akku:", batteries.isEmpty() ? QStringLiteral("keiner gefunden")
                                      : batteries.join(QStringLiteral("; ")));
    if (m_adapterOnline)
        line("Netzteil:", *m_adapterOnline ? QStringLiteral("angeschlossen")
                                           : QStringLiteral("nicht angeschlossen"));
    const int inForce = limitInForce();
    line("Ladelimit:",
         isLimit(inForce) ? QStringLiteral("%1 %").arg(inForce) : QStringLiteral("aus (100 %)"));
    line("Gehalten:", heldBy());
    if (!m_thresholdFiles.isEmpty())
        line("Ladeschwelle:", m_thresholdFiles.join(QStringLiteral(", ")));
    if (m_service)
        line("Angeboten:", m_supported ? percentList(m_offered)
                                       : QStringLiteral("nichts: dieser Akku lässt kein "
                                                        "Ladelimit zu"));
    line("Laptop-Familie:",
         m_family.isEmpty() ? QStringLiteral("keine Ladeschwelle gefunden") : m_family);
    line("Andere Programme:", m_otherWriters.isEmpty()
                                  ? QStringLiteral("keine schreiben die Ladeschwelle")
                                  : m_otherWriters.first());
    for (qsizetype i = 1; i < m_otherWriters.size(); ++i)
        line("", m_otherWriters.at(i));
    if (!m_service)
        line("Ladedienst:", QStringLiteral("nicht erreichbar"));
    return text;
}

QJsonObject ChargeStatus::json() const
{
    QJsonArray batteries;
    for (const Battery &battery : m_batteries) {
        QJsonObject object{{QStringLiteral("name"), battery.name},
                           {QStringLiteral("status"), battery.status}};
        if (battery.capacity)
            object.insert(QStringLiteral("capacity"), *battery.capacity);
        batteries.append(object);
    }
    QJsonObject object{
        {QStringLiteral("batteries"), batteries},
        {QStringLiteral("limit"), limitInForce()},
        {QStringLiteral("family"), m_family},
        {QStringLiteral("thresholdFiles"), QJsonArray::fromStringList(m_thresholdFiles)},
        {QStringLiteral("otherWriters"), QJsonArray::fromStringList(m_otherWriters)},
        {QStringLiteral("service"), m_service},
    };
    if (m_adapterOnline)
        object.insert(QStringLiteral("adapterOnline"), *m_adapterOnline);
    if (m_service) {
        QJsonArray offered;
        for (int limit : m_offered)
            offered.append(limit);
        object.insert(QStringLiteral("supported"), m_supported);
        object.insert(QStringLiteral("keptLimit"), m_keptLimit);
        object.insert(QStringLiteral("suspended"), m_suspended);
        object.insert(QStringLiteral("availableLimits"), offered);
    }
    return object;
}
