// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChargeCheck.h"

#include "BatteryControl.h"
#include "shared/SysfsPaths.h"
#include "shared/ThresholdWriters.h"

#include <QDBusConnection>
#include <QTextStream>

ChargeCheck::ChargeCheck(const BatteryControl &batteries, QStringList otherWriters,
                         std::optional<StateStore::Overshoot> seen)
    : m_batteries(batteries), m_otherWriters(std::move(otherWriters)), m_seen(std::move(seen))
{
}

QString ChargeCheck::way() const
{
    const LaptopFamily &family = m_batteries.family();
    switch (m_batteries.way()) {
    case BatteryControl::Way::Switch:
        return QStringLiteral("Schonmodus der Firmware (%1): eingeschaltet hält die Firmware "
                              "selbst etwa %2%3; Voltquill bietet ihn als %2 an.")
            .arg(family.modeNeeded.isEmpty()
                     ? QStringLiteral("conservation_mode")
                     : QStringLiteral("charge_types %1").arg(family.modeNeeded))
            .arg(QStringLiteral("%1 %").arg(family.held))
            .arg(family.heldUncertain ? QStringLiteral(" (manche Modelle 80 %)") : QString());
    case BatteryControl::Way::Behaviour:
        return QStringLiteral("Der Dienst hält das Limit selbst über charge_behaviour: er stoppt "
                              "das Laden beim Limit (inhibit-charge) und erlaubt es %1 Punkte "
                              "darunter wieder (auto); am Netzteil läuft er dafür ständig.")
            .arg(family.releaseGap);
    case BatteryControl::Way::Threshold:
        break;
    }
    return QStringLiteral("Ladeschwelle des Treibers (die Firmware stoppt das Laden).");
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
        if (silent->held > 0)
            missing = QStringLiteral("charge_types mit %1 oder conservation_mode")
                          .arg(silent->modeNeeded);
        else if (!silent->modeNeeded.isEmpty())
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
    if (!family.modeNeeded.isEmpty() && family.held == 0)
        notes << QStringLiteral("Die Schwellen wirken nur im Lademodus %1: Voltquill schaltet "
                                "ihn mit dem Limit ein und beim Abschalten des Limits auf den "
                                "vorgefundenen Modus zurück.")
                     .arg(family.modeNeeded);
    if (family.forgetsAtBoot)
        notes << QStringLiteral("Der Treiber setzt die Schwelle beim Start zurück: der Dienst "
                                "setzt sie bei jedem Start wieder.");
    if (!family.writesStart && m_batteries.way() == BatteryControl::Way::Threshold)
        notes << QStringLiteral("Voltquill setzt nur das Ende der Ladung; den Beginn bestimmt "
                                "die Firmware.");
    if (m_batteries.way() != BatteryControl::Way::Behaviour && m_batteries.canHoldByBehaviour())
        notes << QStringLiteral("Hält die Firmware das Limit nicht ein, hält der Dienst es "
                                "über charge_behaviour.");
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
        out << "Weg: " << way() << '\n';
        for (const QString &note : notes())
            out << "Hinweis: " << note << '\n';
        out << "Ergebnis: Dieser Laptop kann ein Ladelimit halten.\n";
    } else {
        out << "Ergebnis: Dieser Laptop kann kein Ladelimit halten.\n";
        for (const QString &reason : obstacles())
            out << "Grund: " << reason << '\n';
    }
    if (m_seen)
        out << "Beobachtet: Die Firmware hat das Ladelimit von " << m_seen->limit
            << " % nicht eingehalten (" << m_seen->battery << " lud am Netzteil auf "
            << m_seen->charge << " %, " << m_seen->at << ")"
            << (m_batteries.way() == BatteryControl::Way::Behaviour
                    ? QStringLiteral("; seitdem hält der Dienst es über charge_behaviour.\n")
                    : QStringLiteral(".\n"));
    for (const QString &writer : m_otherWriters)
        out << "Achtung: " << writer << '\n';
    return text;
}

int ChargeCheck::run()
{
    BatteryControl batteries(SysfsPaths::sysfsRoot());
    // Read only: a running service's writes are left alone.
    const StateStore store(StateStore::defaultDirectory(), false);
    batteries.keepModesIn(store);
    const ChargeCheck check(batteries,
                            ThresholdWriters::find(ThresholdWriters::configRoot(),
                                                   batteries.batteryNames(),
                                                   QDBusConnection::systemBus()),
                            store.loadOvershoot());
    QTextStream(stdout) << check.report();
    return check.canKeepLimit() ? 0 : 1;
}
