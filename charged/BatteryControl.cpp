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
    for (const Control &control : m_controls.controls()) {
        if (const auto failure = applyTo(control, target)) {
            outcome.failure = *failure;
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
    const int end = target >= 100 ? m_controls.family().offValue : target;
    const auto write = [&](const QString &path, int value) -> std::optional<QString> {
        if (!writeText(path, QByteArray::number(value)))
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
    if (ThresholdControls::readNumber(control.end) != end)
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
        // Back to the mode found; without one the thresholds at 100 do no harm.
        wanted = m_modesFound.value(control.label);
        if (wanted.isEmpty() || !plausibleMode(wanted) || active == wanted) {
            if (m_modesFound.remove(control.label) && m_store)
                m_store->saveModes(m_modesFound);
            return std::nullopt;
        }
    }
    if (!writeText(control.mode, wanted.toLatin1()))
        return target < 100
                   ? QStringLiteral("%1 hat %2 = %3 abgelehnt: ohne diesen Lademodus wirkt "
                                    "die Ladeschwelle nicht.")
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
        for (const QString &path : {control.mode, control.start, control.end})
            if (!path.isEmpty())
                names << relative(path);
    return names;
}

QStringList BatteryControl::watchedFiles() const
{
    QStringList files = m_controls.watchedFiles();
    for (const PowerSupply &adapter : m_controls.adapters())
        files << adapter.path() + QStringLiteral("/online");
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
