// SPDX-License-Identifier: GPL-3.0-or-later
#include "Laptop.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{
constexpr double VoltsMinDesign = 11.55;
const QString AdapterName = QStringLiteral("AC");
const QString PdName = QStringLiteral("ucsi-source-psy-USBC000:001");

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

// Held on the tree's root folder while a simulator reads and rewrites the
// tree: a second one (--once) changing "online" between the running one's
// read and its write would otherwise be written over and lost.
class TreeLock
{
public:
    explicit TreeLock(const QString &root)
        : m_fd(::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~TreeLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    TreeLock(const TreeLock &) = delete;
    TreeLock &operator=(const TreeLock &) = delete;

private:
    int m_fd;
};
} // namespace

Laptop::Laptop(Options options) : m_options(std::move(options)) {}

QString Laptop::supplyDir(const QString &name) const
{
    return m_options.root + QStringLiteral("/class/power_supply/") + name;
}

QString Laptop::endAttribute() const
{
    return supplyDir(m_options.battery) + (m_options.legacyNames
                                               ? QStringLiteral("/charge_stop_threshold")
                                               : QStringLiteral("/charge_control_end_threshold"));
}

QString Laptop::startAttribute() const
{
    return supplyDir(m_options.battery) + (m_options.legacyNames
                                               ? QStringLiteral("/charge_start_threshold")
                                               : QStringLiteral("/charge_control_start_threshold"));
}

int Laptop::readNumber(const QString &path, int fallback) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fallback;
    bool ok = false;
    const int value = file.read(64).trimmed().toInt(&ok);
    return ok ? value : fallback;
}

void Laptop::write(const QString &path, const QByteArray &content)
{
    const QByteArray line = content + '\n';
    m_written.insert(path, line);
    // Compared with the file, not with what was written last: another
    // process (a second simulator with --once) may have written meanwhile.
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.read(4096) == line)
        return;
    existing.close();
    // In place, as sysfs does: watchers of the file see a modification.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(line);
}

bool Laptop::changedOutside(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray now = file.read(64);
    return !now.trimmed().isEmpty() && now != m_written.value(path);
}

bool Laptop::create(QString *error)
{
    for (const QString &name : {m_options.battery, AdapterName}) {
        if (!QDir().mkpath(supplyDir(name))) {
            *error = QStringLiteral("Ordner %1 nicht angelegt.").arg(supplyDir(name));
            return false;
        }
    }
    // Resume a tree left by an earlier run.
    m_level = std::clamp(
        readNumber(supplyDir(m_options.battery) + QStringLiteral("/capacity"), qRound(m_level)), 0,
        100);
    m_plugged = readNumber(supplyDir(AdapterName) + QStringLiteral("/online"), m_plugged) == 1;
    if (m_options.behaviourOnly) {
        m_options.chargeBehaviour = true;
        QFile::remove(endAttribute());
    } else if (!QFile::exists(endAttribute())) {
        write(endAttribute(), "100");
    }
    if (m_options.chargeBehaviour && !QFile::exists(behaviourAttribute()))
        write(behaviourAttribute(), "[auto] inhibit-charge force-discharge");
    if (m_options.startThreshold >= 0)
        write(startAttribute(), number(m_options.startThreshold));
    step(0); // the firmware's status for what was found
    return true;
}

void Laptop::takeOverOutsideChanges()
{
    const QString online = supplyDir(AdapterName) + QStringLiteral("/online");
    if (changedOutside(online))
        setPlugged(readNumber(online, 1) == 1);
    const QString capacity = supplyDir(m_options.battery) + QStringLiteral("/capacity");
    if (changedOutside(capacity))
        setLevel(readNumber(capacity, qRound(m_level)));
}

QString Laptop::behaviourAttribute() const
{
    return supplyDir(m_options.battery) + QStringLiteral("/charge_behaviour");
}

QString Laptop::behaviour()
{
    if (!m_options.chargeBehaviour)
        return QStringLiteral("auto");
    QFile file(behaviourAttribute());
    QByteArray text = file.open(QIODevice::ReadOnly) ? file.read(256).trimmed() : QByteArray();
    const int open = text.indexOf('[');
    const int close = text.indexOf(']', open + 1);
    if (open >= 0 && close > open)
        text = text.mid(open + 1, close - open - 1);
    QString active = QString::fromLatin1(text);
    const QStringList words{QStringLiteral("auto"), QStringLiteral("inhibit-charge"),
                            QStringLiteral("force-discharge")};
    if (!words.contains(active))
        active = words.first(); // the driver refuses anything else
    QStringList listed;
    for (const QString &word : words)
        listed << (word == active ? QLatin1Char('[') + word + QLatin1Char(']') : word);
    write(behaviourAttribute(), listed.join(QLatin1Char(' ')).toLatin1());
    return active;
}

int Laptop::endThreshold()
{
    if (m_options.behaviourOnly)
        return 100;
    int end = readNumber(endAttribute(), 100);
    if (end < 1 || end > 100)
        end = 100;
    // Firmware that keeps only some values rounds down to them, as drivers do.
    if (m_options.roundTo > 1 && end % m_options.roundTo != 0) {
        end -= end % m_options.roundTo;
        write(endAttribute(), number(end));
    }
    // Taken and shown, but the firmware charges on.
    return m_options.ignoresThreshold ? 100 : end;
}

void Laptop::step(double seconds)
{
    const TreeLock lock(m_options.root);
    takeOverOutsideChanges();
    const int end = endThreshold();
    const int start = m_options.startThreshold >= 0 ? readNumber(startAttribute(), 0) : -1;
    const QString behaviour = this->behaviour();

    if (m_plugged && behaviour != u"force-discharge") {
        if (m_level >= end || behaviour == u"inhibit-charge")
            m_charging = false;
        else if (!m_charging)
            // With a start threshold the firmware waits until the level sinks below it.
            m_charging = start < 0 || m_level < start;
        if (m_charging) {
            const double adapter = m_pdWatts > 0 ? m_pdWatts : 65.0;
            m_watts = std::min(m_options.chargeWatts, adapter * 0.9);
            if (m_level > 80.0)
                m_watts *= 0.5; // taper near full
            m_level = std::min<double>(end, m_level + m_watts * seconds / 36.0 / m_options.fullWh);
            if (m_level >= end) {
                m_charging = false; // held at the threshold from now on
                m_watts = 0.0;
            }
        } else {
            m_watts = 0.0;
        }
        m_status = m_charging         ? QStringLiteral("Charging")
                   : m_level >= 100.0 ? QStringLiteral("Full")
                                      : QStringLiteral("Not charging");
    } else {
        m_charging = false;
        m_watts = m_options.drainWatts;
        const double drop = m_watts * seconds / 36.0 / m_options.fullWh;
        m_dischargedPercent += std::min(drop, m_level);
        m_level = std::max(0.0, m_level - drop);
        m_status = QStringLiteral("Discharging");
    }
    writeTree();
}

void Laptop::writeTree()
{
    const QString bat = supplyDir(m_options.battery) + QLatin1Char('/');
    write(bat + QStringLiteral("type"), "Battery");
    write(bat + QStringLiteral("present"), "1");
    write(bat + QStringLiteral("technology"), "Li-ion");
    write(bat + QStringLiteral("manufacturer"), "Voltquill");
    write(bat + QStringLiteral("model_name"), "Simulierter Akku");
    write(bat + QStringLiteral("status"), m_status.toLatin1());
    write(bat + QStringLiteral("capacity"), number(qRound(m_level)));
    write(bat + QStringLiteral("cycle_count"),
          number(m_options.cycles + qint64(m_dischargedPercent / 100.0)));
    write(bat + QStringLiteral("temp"), number(m_charging ? 325 : 298));
    write(bat + QStringLiteral("voltage_min_design"), number(qint64(VoltsMinDesign * 1e6)));
    write(bat + QStringLiteral("voltage_now"),
          number(qint64((VoltsMinDesign + m_level / 100.0 * 1.5) * 1e6)));
    const double nowWh = m_options.fullWh * m_level / 100.0;
    if (m_options.chargeUnits) {
        const auto microAh = [](double wh) { return number(qint64(wh / VoltsMinDesign * 1e6)); };
        write(bat + QStringLiteral("charge_full_design"), microAh(m_options.designWh));
        write(bat + QStringLiteral("charge_full"), microAh(m_options.fullWh));
        write(bat + QStringLiteral("charge_now"), microAh(nowWh));
        write(bat + QStringLiteral("current_now"), number(qint64(m_watts / VoltsMinDesign * 1e6)));
    } else {
        write(bat + QStringLiteral("energy_full_design"), number(qint64(m_options.designWh * 1e6)));
        write(bat + QStringLiteral("energy_full"), number(qint64(m_options.fullWh * 1e6)));
        write(bat + QStringLiteral("energy_now"), number(qint64(nowWh * 1e6)));
        write(bat + QStringLiteral("power_now"), number(qint64(m_watts * 1e6)));
    }

    const QString ac = supplyDir(AdapterName) + QLatin1Char('/');
    write(ac + QStringLiteral("type"), "Mains");
    write(ac + QStringLiteral("online"), m_plugged ? "1" : "0");

    if (m_pdWatts > 0) {
        const QString pd = supplyDir(PdName) + QLatin1Char('/');
        QDir().mkpath(pd);
        write(pd + QStringLiteral("type"), "USB");
        write(pd + QStringLiteral("usb_type"), "C [PD] PPS");
        write(pd + QStringLiteral("online"), m_plugged ? "1" : "0");
        write(pd + QStringLiteral("voltage_max"), "20000000");
        write(pd + QStringLiteral("current_max"), number(qint64(m_pdWatts / 20.0 * 1e6)));
    }
}

void Laptop::setPlugged(bool plugged)
{
    m_plugged = plugged;
    m_charging = false; // the firmware decides anew at the next step
}

void Laptop::setLevel(double percent)
{
    m_level = std::clamp(percent, 0.0, 100.0);
}

void Laptop::setPdWatts(int watts)
{
    m_pdWatts = std::max(0, watts);
    if (m_pdWatts == 0) {
        QDir(supplyDir(PdName)).removeRecursively();
        for (auto it = m_written.begin(); it != m_written.end();)
            it = it.key().startsWith(supplyDir(PdName)) ? m_written.erase(it) : std::next(it);
    }
}

void Laptop::setEndThreshold(int percent)
{
    write(endAttribute(), number(std::clamp(percent, 0, 100)));
}

bool Laptop::setBehaviour(const QString &word)
{
    if (!m_options.chargeBehaviour ||
        !QStringList{QStringLiteral("auto"), QStringLiteral("inhibit-charge"),
                     QStringLiteral("force-discharge")}
             .contains(word))
        return false;
    write(behaviourAttribute(), word.toLatin1());
    return true;
}

void Laptop::addModule(const QString &name)
{
    QDir().mkpath(m_options.root + QStringLiteral("/module/") + name);
}

QString Laptop::statusLine() const
{
    const QString held =
        m_options.behaviourOnly
            ? QStringLiteral("nur charge_behaviour")
            : QStringLiteral("Ladeschwelle %1 %%2")
                  .arg(readNumber(endAttribute(), 100))
                  .arg(m_options.ignoresThreshold ? QStringLiteral(" (ignoriert)") : QString());
    QString line =
        QStringLiteral("Akku %1 % · %2 · %3 · %4%5")
            .arg(qRound(m_level))
            .arg(m_status,
                 m_plugged ? QStringLiteral("Netzteil an") : QStringLiteral("Netzteil ab"), held)
            .arg(m_pdWatts > 0 ? QStringLiteral(" · USB-PD %1 W").arg(m_pdWatts) : QString());
    if (m_options.chargeBehaviour) {
        QFile file(behaviourAttribute());
        if (file.open(QIODevice::ReadOnly))
            line += QStringLiteral(" · charge_behaviour ") +
                    QString::fromLatin1(file.read(256).trimmed());
    }
    return line;
}
