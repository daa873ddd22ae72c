// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatteryControl.h"

#include "ChargeLog.h"
#include "StateStore.h"
#include "shared/SysfsPaths.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool writeText(const QString &path, const QByteArray &text)
{
    const QByteArray name = QFile::encodeName(path);
    // Never through a link planted in place of the attribute. Unbuffered: a
    // driver's refusal arrives as the write's error.
    // Nor into a FIFO: without a reader its open would block the service.
    const int fd =
        ::open(name.constData(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        qCDebug(lcCharge, "%s not opened: %s", name.constData(), std::strerror(errno));
        return false;
    }
    struct stat info {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        qCDebug(lcCharge, "%s is no regular file", name.constData());
        ::close(fd);
        return false;
    }
    const bool written = ::write(fd, text.constData(), text.size()) == text.size();
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    qCDebug(lcCharge, "wrote %s = %s: %s", name.constData(), text.constData(),
            written && closed ? "taken" : std::strerror(written ? errno : writeError));
    return closed && written;
}

// The attributes whose value is a word of a list, the active one in brackets.
bool isModeAttribute(const QString &path)
{
    const QString name = path.section(QLatin1Char('/'), -1);
    return name == u"charge_types" || name == u"charge_type" || name == u"charge_behaviour";
}

// What a restore may write: the attributes Voltquill writes, below the
// folders the kernel puts them in.
bool restorable(const QString &relative)
{
    static const QStringList names{QStringLiteral("charge_control_end_threshold"),
                                   QStringLiteral("charge_control_start_threshold"),
                                   QStringLiteral("charge_stop_threshold"),
                                   QStringLiteral("charge_start_threshold"),
                                   QStringLiteral("charge_types"),
                                   QStringLiteral("charge_type"),
                                   QStringLiteral("charge_behaviour"),
                                   QStringLiteral("battery_care_limiter"),
                                   QStringLiteral("conservation_mode")};
    return !relative.contains(QStringLiteral("..")) && !relative.startsWith(QLatin1Char('/')) &&
           (relative.startsWith(QStringLiteral("class/power_supply/")) ||
            relative.startsWith(QStringLiteral("devices/")) ||
            relative.startsWith(QStringLiteral("bus/platform/devices/"))) &&
           names.contains(relative.section(QLatin1Char('/'), -1));
}

// The attribute's value as a restore compares and writes it.
std::optional<QString> valueOf(const QString &path)
{
    if (isModeAttribute(path))
        return ThresholdControls::readMode(path);
    const auto number = ThresholdControls::readNumber(path);
    return number ? std::optional<QString>(QString::number(*number)) : std::nullopt;
}

const QString Auto = QStringLiteral("auto");
const QString Inhibit = QStringLiteral("inhibit-charge");

// A mode worth writing back: a word of the kernel's list, nothing a
// hand-edited state file could smuggle in.
bool plausibleMode(const QString &mode)
{
    if (mode.isEmpty() || mode.size() > 32)
        return false;
    for (QChar c : mode)
        if (!c.isLetterOrNumber() && c != u'_' && c != u' ')
            return false;
    return true;
}
} // namespace

BatteryControl::BatteryControl(QString sysfsRoot) : m_controls(std::move(sysfsRoot))
{
    rescan();
}

void BatteryControl::rescan()
{
    m_controls.rescan();
    m_limits = m_controls.family().offeredLimits();
    if (!canHoldByBehaviour())
        m_byBehaviour = false;
}

BatteryControl::Way BatteryControl::way() const
{
    if (holdsByBehaviour())
        return Way::Behaviour;
    return family().held > 0 ? Way::Switch : Way::Threshold;
}

bool BatteryControl::holdByBehaviour(bool on)
{
    if (on && !canHoldByBehaviour())
        return false;
    m_byBehaviour = on;
    return true;
}

bool BatteryControl::isInhibited() const
{
    for (const Control &control : m_controls.behaviours())
        if (ThresholdControls::readMode(control.behaviour) == Inhibit)
            return true;
    return false;
}

std::optional<BatteryControl::Charge> BatteryControl::chargingAbove(int above) const
{
    for (const PowerSupply &battery : m_controls.batteries()) {
        const auto percent = battery.number("capacity");
        if (battery.text("status") == "Charging" && percent && *percent > above)
            return Charge{battery.name(), static_cast<int>(*percent)};
    }
    return std::nullopt;
}

bool BatteryControl::isCharging() const
{
    for (const PowerSupply &battery : m_controls.batteries())
        if (battery.text("status") == "Charging")
            return true;
    return false;
}

std::optional<int> BatteryControl::capacity(const Control &control) const
{
    for (const PowerSupply &battery : m_controls.batteries())
        if (battery.name() == control.label)
            if (const auto percent = battery.number("capacity"); percent && *percent >= 0)
                return static_cast<int>(std::min<qint64>(*percent, 100));
    return std::nullopt;
}

QString BatteryControl::behaviourFor(const Control &control, int target) const
{
    if (target >= 100)
        return Auto;
    const auto charge = capacity(control);
    if (!charge)
        return {}; // unknown: neither stop nor start a charge blindly
    if (*charge >= target)
        return Inhibit;
    // The start threshold the family writes, where the battery has one, else
    // a few points below: the battery is not topped up for every point lost.
    int release = target - family().releaseGap;
    for (const Control &threshold : m_controls.controls())
        if (threshold.label == control.label && !threshold.start.isEmpty())
            if (const auto start = ThresholdControls::readNumber(threshold.start);
                start && *start < target && *start >= target - 10)
                release = *start;
    return *charge <= release ? Auto : QString();
}

std::optional<QString> BatteryControl::steer(int target)
{
    for (const Control &control : m_controls.behaviours()) {
        const QString wanted = behaviourFor(control, target);
        if (wanted.isEmpty() || ThresholdControls::readMode(control.behaviour) == wanted)
            continue;
        if (!write(control.behaviour, wanted.toLatin1()))
            return QStringLiteral("%1 hat charge_behaviour = %2 abgelehnt.")
                .arg(control.label, wanted);
        qCDebug(lcCharge, "%s: charge_behaviour %s at %d %% (limit %d %%)",
                qPrintable(control.label), qPrintable(wanted), capacity(control).value_or(-1),
                target);
    }
    return std::nullopt;
}

bool BatteryControl::differsFrom(int target) const
{
    if (!family().byBehaviour && m_controls.differsFrom(target))
        return true;
    if (!holdsByBehaviour())
        return false;
    for (const Control &control : m_controls.behaviours()) {
        const QString wanted = behaviourFor(control, target);
        if (!wanted.isEmpty() && ThresholdControls::readMode(control.behaviour) != wanted)
            return true;
    }
    return false;
}

bool BatteryControl::write(const QString &path, const QByteArray &text)
{
    const QString key = path.mid(m_controls.sysfsRoot().size() + 1);
    if (m_store && !m_restoring && !m_found.contains(key)) {
        const std::optional<QString> before = valueOf(path);
        if (before && plausibleMode(*before) && restorable(key)) {
            m_found.insert(key, *before);
            if (!m_store->saveFound(m_found))
                qCWarning(lcCharge, "Vorgefundener Wert von %s nicht gespeichert", qPrintable(key));
        }
    }
    return writeText(path, text);
}

bool BatteryControl::adapterOnline() const
{
    for (const PowerSupply &adapter : m_controls.adapters())
        if (adapter.isOnline())
            return true;
    return false;
}

BatteryControl::Outcome BatteryControl::apply(int target)
{
    Outcome outcome;
    if (!m_controls.isSupported()) {
        outcome.failure = QStringLiteral("Kein Akku mit Ladeschwelle gefunden.");
        return outcome;
    }
    if (!family().byBehaviour) {
        for (const Control &control : m_controls.controls()) {
            if (const auto failure = applyTo(control, target)) {
                outcome.failure = *failure;
                return outcome;
            }
        }
    }
    if (holdsByBehaviour()) {
        if (const auto failure = steer(target)) {
            outcome.failure = *failure;
            return outcome;
        }
        if (family().byBehaviour) {
            // Nothing to read back: the service itself holds the limit.
            outcome.ok = true;
            outcome.accepted = target;
            return outcome;
        }
    }
    const auto accepted = endThreshold();
    if (accepted)
        qCDebug(lcCharge, "read back %d %% after writing %d %%", *accepted, target);
    if (!accepted) {
        outcome.failure = QStringLiteral("Die Ladeschwelle von %1 ist nicht lesbar.")
                              .arg(m_controls.controls().first().label);
        return outcome;
    }
    outcome.ok = true;
    outcome.accepted = *accepted;
    return outcome;
}

std::optional<QString> BatteryControl::applyTo(const Control &control, int target)
{
    const auto refused = [&](const QString &path, const QString &value) {
        return QStringLiteral("%1 hat %2 = %3 abgelehnt.")
            .arg(control.label, path.section(QLatin1Char('/'), -1), value);
    };
    const LaptopFamily &family = m_controls.family();
    const int end = target >= 100          ? family.offValue
                    : family.switchOn >= 0 ? family.switchOn
                                           : target;
    const auto write = [&](const QString &path, int value) -> std::optional<QString> {
        if (!this->write(path, QByteArray::number(value)))
            return refused(path, QString::number(value));
        return std::nullopt;
    };

    // Drivers refuse a start the end would not stay above at the moment of
    // writing: a start that comes down goes first, one that goes up last.
    int start = -1;
    int newStart = -1;
    if (!control.start.isEmpty()) {
        start = ThresholdControls::readNumber(control.start).value_or(-1);
        newStart = m_controls.family().startFor(target, start);
    }
    if (newStart >= 0 && newStart < start)
        if (const auto failure = write(control.start, newStart))
            return failure;
    if (!control.end.isEmpty() && ThresholdControls::readNumber(control.end) != end)
        if (const auto failure = write(control.end, end))
            return failure;
    if (newStart >= 0 && newStart >= start)
        if (const auto failure = write(control.start, newStart))
            return failure;
    return switchMode(control, target);
}

std::optional<QString> BatteryControl::switchMode(const Control &control, int target)
{
    if (control.mode.isEmpty())
        return std::nullopt;
    const QString attribute = control.mode.section(QLatin1Char('/'), -1);
    const auto active = ThresholdControls::readMode(control.mode);
    QString wanted;
    if (target < 100) {
        if (active == m_controls.family().modeNeeded)
            return std::nullopt;
        if (!m_modesFound.contains(control.label) && active && plausibleMode(*active)) {
            m_modesFound.insert(control.label, *active);
            if (m_store && !m_store->saveModes(m_modesFound))
                qCWarning(lcCharge,
                          "Lademodus von %s nicht gespeichert: nach einem Neustart bleibt %s",
                          qPrintable(control.label), qPrintable(m_controls.family().modeNeeded));
        }
        wanted = m_controls.family().modeNeeded;
    } else {
        // Back to the mode found; without one the thresholds at 100 do no
        // harm. A mode that holds a limit itself must go, though.
        wanted = m_modesFound.value(control.label);
        if ((wanted.isEmpty() || !plausibleMode(wanted)) && m_controls.family().held > 0 &&
            active == m_controls.family().modeNeeded)
            wanted = QStringLiteral("Standard");
        if (wanted.isEmpty() || !plausibleMode(wanted) || active == wanted) {
            if (m_modesFound.remove(control.label) && m_store)
                m_store->saveModes(m_modesFound);
            return std::nullopt;
        }
    }
    if (!write(control.mode, wanted.toLatin1()))
        return target < 100
                   ? (m_controls.family().held > 0
                          ? QStringLiteral("%1 hat %2 = %3 abgelehnt: ohne diesen Lademodus "
                                           "hält die Firmware kein Limit.")
                          : QStringLiteral("%1 hat %2 = %3 abgelehnt: ohne diesen Lademodus "
                                           "wirkt die Ladeschwelle nicht."))
                         .arg(control.label, attribute, wanted)
                   : QStringLiteral("%1 hat %2 = %3 abgelehnt: der Lademodus von vorher ist "
                                    "nicht wiederhergestellt.")
                         .arg(control.label, attribute, wanted);
    if (target >= 100 && m_modesFound.remove(control.label) && m_store)
        m_store->saveModes(m_modesFound);
    return std::nullopt;
}

void BatteryControl::keepModesIn(const StateStore &store)
{
    m_store = &store;
    m_modesFound = store.loadModes();
    m_found = store.loadFound();
    m_byBehaviour = store.loadHeldByBehaviour() && canHoldByBehaviour();
}

bool BatteryControl::restore(QStringList *lines)
{
    m_restoring = true;
    bool ok = true;
    // Twice: a start may be refused until its end has moved.
    QMap<QString, QString> pending;
    for (auto it = m_found.cbegin(); it != m_found.cend(); ++it)
        if (restorable(it.key()) && plausibleMode(it.value()))
            pending.insert(it.key(), it.value());
    for (int pass = 0; pass < 2 && !pending.isEmpty(); ++pass) {
        const QMap<QString, QString> round = pending;
        for (auto it = round.cbegin(); it != round.cend(); ++it) {
            const QString path = m_controls.sysfsRoot() + QLatin1Char('/') + it.key();
            const bool already = valueOf(path) == it.value();
            const bool done = already || writeText(path, it.value().toLatin1());
            if (!done && pass == 0)
                continue;
            pending.remove(it.key());
            ok = ok && done;
            if (lines && !already)
                *lines << (done ? QStringLiteral("%1 = %2 (wie vor Voltquill)")
                                : QStringLiteral("%1 = %2 nicht zurückgesetzt"))
                              .arg(it.key(), it.value());
        }
    }
    // Where nothing was kept: no limit, and the charge allowed.
    const auto kept = [&](const QString &path) {
        return !path.isEmpty() && m_found.contains(path.mid(m_controls.sysfsRoot().size() + 1));
    };
    for (const Control &control : m_controls.controls()) {
        if (family().byBehaviour || kept(control.end) || kept(control.mode) ||
            m_controls.endInForce(control) == 100)
            continue;
        const bool done = !applyTo(control, 100);
        ok = ok && done;
        if (lines)
            *lines << QStringLiteral("%1: %2").arg(
                control.label, done ? QStringLiteral("kein Ladelimit mehr")
                                    : QStringLiteral("Ladelimit nicht entfernt"));
    }
    for (const Control &control : m_controls.behaviours()) {
        if (kept(control.behaviour) || ThresholdControls::readMode(control.behaviour) == Auto)
            continue;
        const bool done = writeText(control.behaviour, Auto.toLatin1());
        ok = ok && done;
        if (lines)
            *lines << QStringLiteral("%1/charge_behaviour = auto%2")
                          .arg(control.label, done ? QString() : QStringLiteral(" misslungen"));
    }
    m_restoring = false;
    return ok;
}

QStringList BatteryControl::batteryNames() const
{
    QStringList names;
    for (const PowerSupply &battery : m_controls.batteries())
        names << battery.name();
    return names;
}

QString BatteryControl::relative(const QString &path) const
{
    const QString supplyDir = SysfsPaths::powerSupplyDir(m_controls.sysfsRoot()) + QLatin1Char('/');
    if (path.startsWith(supplyDir))
        return path.mid(supplyDir.size());
    return path.mid(m_controls.sysfsRoot().size() + 1);
}

QStringList BatteryControl::attributes() const
{
    QStringList names;
    for (const Control &control : m_controls.controls())
        for (const QString &path : {control.mode, control.start, control.end, control.behaviour})
            if (!path.isEmpty())
                names << relative(path);
    return names;
}

QStringList BatteryControl::watchedFiles() const
{
    QStringList files = m_controls.watchedFiles();
    for (const PowerSupply &adapter : m_controls.adapters())
        files << adapter.path() + QStringLiteral("/online");
    // The charge, for a limit held through charge_behaviour and a firmware
    // that charges past the limit (the kernel's uevents tell it otherwise).
    for (const PowerSupply &battery : m_controls.batteries())
        files << battery.path() + QStringLiteral("/capacity")
              << battery.path() + QStringLiteral("/status");
    for (const Control &control : m_controls.behaviours())
        files << control.behaviour;
    return files;
}

QStringList BatteryControl::watchedDirectories() const
{
    QStringList dirs{SysfsPaths::powerSupplyDir(m_controls.sysfsRoot())};
    for (const PowerSupply &battery : m_controls.batteries())
        dirs << battery.path();
    for (const Control &control : m_controls.controls()) {
        const QString folder = control.end.section(QLatin1Char('/'), 0, -2);
        if (!dirs.contains(folder))
            dirs << folder;
    }
    for (const PowerSupply &adapter : m_controls.adapters())
        dirs << adapter.path();
    return dirs;
}
