// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimScript.h"

#include "Laptop.h"

#include <QTextStream>

namespace
{
// Commands and how many values each takes.
const QList<QPair<QString, int>> commands{
    {QStringLiteral("plug"), 0},      {QStringLiteral("unplug"), 0},
    {QStringLiteral("level"), 1},     {QStringLiteral("pd"), 1},
    {QStringLiteral("speed"), 1},     {QStringLiteral("threshold"), 1},
    {QStringLiteral("reset"), 0},     {QStringLiteral("wait"), 1},
    {QStringLiteral("status"), 0},    {QStringLiteral("quit"), 0},
    {QStringLiteral("behaviour"), 1},
};

int arity(const QString &name)
{
    for (const auto &[command, values] : commands)
        if (command == name)
            return values;
    return -1;
}
} // namespace

SimScript::SimScript(Laptop &laptop, QObject *parent) : QObject(parent), m_laptop(laptop)
{
    m_waiting.setSingleShot(true);
    connect(&m_waiting, &QTimer::timeout, this, &SimScript::runQueued);
}

QString SimScript::help()
{
    return QStringLiteral(
        "Befehle (als Argumente oder zeilenweise auf der Standardeingabe):\n"
        "  plug            Netzteil anstecken\n"
        "  unplug          Netzteil abziehen\n"
        "  level N         Ladestand auf N % setzen (0–100)\n"
        "  pd W            USB-PD-Quelle mit W Watt anbieten; pd 0 oder pd off entfernt sie\n"
        "  speed F         Zeitfaktor: eine Sekunde Echtzeit sind F Sekunden am Laptop\n"
        "  threshold N     Ladeschwelle auf N % schreiben (wie ein anderes Programm)\n"
        "  reset           Treiber-Rücksetzung: Ladeschwelle wird 100 %\n"
        "  behaviour W     charge_behaviour auf auto, inhibit-charge oder force-discharge\n"
        "                  schreiben (mit --charge-behaviour oder --behaviour-only)\n"
        "  wait S          S Sekunden Echtzeit warten, bevor der nächste Befehl läuft\n"
        "  status          eine Zeile mit Ladestand, Zustand, Netzteil und Ladeschwelle\n"
        "  quit            beenden\n"
        "Als Argument auch mit Gleichheitszeichen: level=80, speed=60.\n"
        "\n"
        "Beispiele:\n"
        "  voltquill-sim --root /tmp/sys --speed 60 unplug level 55\n"
        "      ein Tag in 24 Minuten, ab 55 % im Akkubetrieb\n"
        "  voltquill-sim --root /tmp/sys --once plug\n"
        "      einem laufenden Simulator das Netzteil anstecken (er übernimmt den Baum)\n"
        "  printf 'plug\\nwait 5\\nstatus\\n' | voltquill-sim --root /tmp/sys\n");
}

QStringList SimScript::commandsFromArguments(const QStringList &arguments)
{
    QStringList result;
    for (int i = 0; i < arguments.size(); ++i) {
        QString word = arguments.at(i);
        word.replace(QLatin1Char('='), QLatin1Char(' '));
        if (!word.contains(QLatin1Char(' ')) && arity(word) == 1 && i + 1 < arguments.size())
            word += QLatin1Char(' ') + arguments.at(++i);
        result << word;
    }
    return result;
}

void SimScript::feed(const QString &command)
{
    m_queue << command;
    if (!m_waiting.isActive())
        runQueued();
}

void SimScript::runQueued()
{
    while (!m_queue.isEmpty() && !m_waiting.isActive()) {
        const QString command = m_queue.takeFirst();
        if (!run(command))
            Q_EMIT failed(QStringLiteral("Unbekannter oder unvollständiger Befehl: „%1“. "
                                         "voltquill-sim --help nennt alle.")
                              .arg(command));
    }
}

bool SimScript::run(const QString &command)
{
    const QStringList words = command.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.first().startsWith(QLatin1Char('#')))
        return true;
    const QString name = words.first().toLower();
    if (arity(name) != words.size() - 1)
        return false;
    const QString value = words.value(1);
    bool ok = true;
    if (name == u"plug") {
        m_laptop.setPlugged(true);
    } else if (name == u"unplug") {
        m_laptop.setPlugged(false);
    } else if (name == u"level") {
        const double level = value.toDouble(&ok);
        ok = ok && level >= 0 && level <= 100;
        if (ok)
            m_laptop.setLevel(level);
    } else if (name == u"pd") {
        const int watts = value == u"off" ? 0 : value.toInt(&ok);
        ok = ok && watts >= 0 && watts <= 240;
        if (ok)
            m_laptop.setPdWatts(watts);
    } else if (name == u"speed") {
        const double factor = value.toDouble(&ok);
        ok = ok && factor > 0;
        if (ok)
            Q_EMIT speedChanged(factor);
    } else if (name == u"threshold") {
        const int percent = value.toInt(&ok);
        ok = ok && percent >= 0 && percent <= 100;
        if (ok)
            m_laptop.setEndThreshold(percent);
    } else if (name == u"behaviour") {
        ok = m_laptop.setBehaviour(value);
    } else if (name == u"reset") {
        m_laptop.setEndThreshold(100);
    } else if (name == u"wait") {
        const double seconds = value.toDouble(&ok);
        ok = ok && seconds >= 0;
        if (ok)
            m_waiting.start(qRound(seconds * 1000));
        return ok;
    } else if (name == u"status") {
        QTextStream(stdout) << m_laptop.statusLine() << Qt::endl;
    } else if (name == u"quit") {
        Q_EMIT quitRequested();
    }
    if (ok && name != u"status" && name != u"quit")
        m_laptop.step(0); // show the change in the tree at once
    return ok;
}
