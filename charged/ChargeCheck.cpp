// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChargeCheck.h"

#include "BatteryControl.h"
#include "shared/SysfsPaths.h"
#include "shared/ThresholdWriters.h"

#include <QDBusConnection>
#include <QTextStream>

ChargeCheck::ChargeCheck(const BatteryControl &batteries, QStringList otherWriters)
    : m_batteries(batteries), m_otherWriters(std::move(otherWriters))
{
}

bool ChargeCheck::canKeepLimit() const
{
    return m_batteries.isSupported();
}

QStringList ChargeCheck::obstacles() const
{
    QStringList reasons;
    if (m_batteries.batteryNames().isEmpty()) {
        reasons << QStringLiteral("Kein Akku gefunden (kein power_supply vom Typ Battery).");
        return reasons;
    }
    if (m_batteries.isSupported())
        return reasons;
    if (const LaptopFamily *silent = m_batteries.silentFamily()) {
        const QString since =
            silent->sinceKernel.isEmpty()
                ? QString()
                : QStringLiteral(" (Ladeschwellen ab Linux %1)").arg(silent->sinceKernel);
        QString missing = QStringLiteral("charge_control_end_threshold");
        if (!silent->modeNeeded.isEmpty())
            missing += QStringLiteral(" mit charge_types");
        reasons << QStringLiteral("Der Treiber %1 ist geladen, bietet aber keine Ladeschwelle "
                                  "(%2 fehlt): er ist zu alt%3 oder kennt dieses Modell nicht.")
                       .arg(silent->module, missing, since);
    } else {
        reasons << QStringLiteral("Der Akku %1 bietet keine Ladeschwelle "
                                  "(charge_control_end_threshold fehlt): sein Treiber kann "
                                  "kein Ladelimit setzen.")
                       .arg(m_batteries.batteryNames().join(QStringLiteral(", ")));
    }
    return reasons;
}

QStringList ChargeCheck::notes() const
{
    const LaptopFamily &family = m_batteries.family();
    QStringList notes;
    if (!family.modeNeeded.isEmpty())
        notes << QStringLiteral("Die Schwellen wirken nur im Lademodus %1: Voltquill schaltet "
                                "ihn mit dem Limit ein und beim Abschalten des Limits auf den "
                                "vorgefundenen Modus zurück.")
                     .arg(family.modeNeeded);
    if (family.forgetsAtBoot)
        notes << QStringLiteral("Der Treiber setzt die Schwelle beim Start zurück: der Dienst "
                                "setzt sie bei jedem Start wieder.");
    if (!family.writesStart)
        notes << QStringLiteral("Voltquill setzt nur das Ende der Ladung; den Beginn bestimmt "
                                "die Firmware.");
    return notes;
}

QString ChargeCheck::report() const
{
    QString text;
    QTextStream out(&text);
    const QStringList batteries = m_batteries.batteryNames();
    out << "Akkus: "
        << (batteries.isEmpty() ? QStringLiteral("keine") : batteries.join(QStringLiteral(", ")))
        << '\n';
    if (canKeepLimit()) {
        out << "Familie: " << m_batteries.family().name << '\n';
        out << "Attribute: " << m_batteries.attributes().join(QStringLiteral(", ")) << '\n';
        QStringList limits;
        for (int limit : m_batteries.availableLimits())
            limits << QString::number(limit);
        out << "Angebotene Limits: " << limits.join(QStringLiteral(", ")) << " %\n";
        for (const QString &note : notes())
            out << "Hinweis: " << note << '\n';
        out << "Ergebnis: Dieser Laptop kann ein Ladelimit halten.\n";
    } else {
        out << "Ergebnis: Dieser Laptop kann kein Ladelimit halten.\n";
        for (const QString &reason : obstacles())
            out << "Grund: " << reason << '\n';
    }
    for (const QString &writer : m_otherWriters)
        out << "Achtung: " << writer << '\n';
    return text;
}

int ChargeCheck::run()
{
    const BatteryControl batteries(SysfsPaths::sysfsRoot());
    const ChargeCheck check(batteries, ThresholdWriters::find(ThresholdWriters::configRoot(),
                                                              batteries.batteryNames(),
                                                              QDBusConnection::systemBus()));
    QTextStream(stdout) << check.report();
    return check.canKeepLimit() ? 0 : 1;
}
