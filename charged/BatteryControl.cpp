#include "BatteryControl.h"

#include "StateStore.h"
#include "platform/SysfsPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <unistd.h>

namespace
{
const QString EndName = QStringLiteral("charge_control_end_threshold");
const QString StartName = QStringLiteral("charge_control_start_threshold");
const QString LegacyEndName = QStringLiteral("charge_stop_threshold");
const QString LegacyStartName = QStringLiteral("charge_start_threshold");

std::optional<QByteArray> readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.read(4097);
    if (data.size() > 4096)
        return std::nullopt;
    return data.trimmed();
}

std::optional<int> readNumber(const QString &path)
{
    const auto text = readText(path);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The active entry of "Trickle Fast [Standard] Adaptive Custom" (charge_types)
// or the single word of charge_type.
std::optional<QString> readMode(const QString &path)
{
    const auto text = readText(path);
    if (!text || text->isEmpty())
        return std::nullopt;
    const int open = text->indexOf('[');
    const int close = text->indexOf(']', open + 1);
    if (open >= 0 && close > open)
        return QString::fromLatin1(text->mid(open + 1, close - open - 1));
    return QString::fromLatin1(*text);
}

bool writeText(const QString &path, const QByteArray &text)
{
    const QByteArray name = QFile::encodeName(path);
    // Never through a link planted in place of the attribute. Unbuffered: a
    // driver's refusal arrives as the write's error.
    const int fd = ::open(name.constData(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.constData(), text.size()) == text.size();
    return ::close(fd) == 0 && written;
}

// Real sysfs links each supply to its device below the same root; a path
// that resolves elsewhere was planted.
bool insideRoot(const QString &path, const QString &root)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonicalRoot.isEmpty() && canonical.startsWith(canonicalRoot + QLatin1Char('/'));
}

QString existing(const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name;
    return QFileInfo::exists(path) ? path : QString();
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

BatteryControl::BatteryControl(QString sysfsRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_family(&LaptopFamily::generic())
{
    rescan();
}

void BatteryControl::rescan()
{
    m_batteries.clear();
    m_adapters.clear();
    const QString supplyDir = SysfsPaths::powerSupplyDir(m_sysfsRoot);
    QStringList supplyNames;
    for (const PowerSupply &supply : PowerSupply::enumerate(supplyDir)) {
        if (!insideRoot(supply.path(), m_sysfsRoot))
            continue;
        supplyNames << supply.name();
        const QByteArray type = supply.type();
        if (supply.isSystemBattery())
            m_batteries.append(supply);
        else if ((type == "Mains" || type == "USB") && !supply.isDeviceScope())
            m_adapters.append(supply);
    }

    m_family = nullptr;
    m_silent = nullptr;
    m_controls.clear();
    for (const LaptopFamily &family : LaptopFamily::known()) {
        const bool present =
            QFileInfo(m_sysfsRoot + QStringLiteral("/module/") + family.module).isDir() ||
            (!family.supply.isEmpty() && supplyNames.contains(family.supply));
        if (!present)
            continue;
        m_controls = controlsFor(family);
        if (!m_controls.isEmpty()) {
            m_family = &family;
            break;
        }
        if (!m_silent)
            m_silent = &family;
    }
    if (!m_family) {
        m_controls = controlsFor(LaptopFamily::generic());
        const bool legacy = !m_controls.isEmpty() && m_controls.first().end.endsWith(LegacyEndName);
        m_family = legacy ? &LaptopFamily::legacy() : &LaptopFamily::generic();
    }
    // The charger that holds the thresholds is no adapter to watch.
    if (m_family->place == LaptopFamily::Place::Supply)
        m_adapters.removeIf([&](const PowerSupply &s) { return s.name() == m_family->supply; });
    m_limits = m_family->offeredLimits();
}

QList<BatteryControl::Control> BatteryControl::controlsFor(const LaptopFamily &family) const
{
    QList<Control> controls;
    const auto modeOf = [&](const QString &folder) {
        if (family.modeNeeded.isEmpty())
            return QString();
        const QString types = existing(folder, QStringLiteral("charge_types"));
        return types.isEmpty() ? existing(folder, QStringLiteral("charge_type")) : types;
    };
    const auto add = [&](const QString &label, const QString &folder) {
        Control control{label, existing(folder, EndName), existing(folder, StartName),
                        modeOf(folder)};
        if (control.end.isEmpty()) {
            control.end = existing(folder, LegacyEndName);
            control.start = existing(folder, LegacyStartName);
        }
        if (!family.writesStart)
            control.start.clear();
        // Without the mode they need, the thresholds would do nothing.
        if (control.end.isEmpty() || (!family.modeNeeded.isEmpty() && control.mode.isEmpty()))
            return;
        controls.append(control);
    };

    switch (family.place) {
    case LaptopFamily::Place::Battery:
        for (const PowerSupply &battery : m_batteries)
            add(battery.name(), battery.path());
        break;
    case LaptopFamily::Place::Supply: {
        const QString folder =
            SysfsPaths::powerSupplyDir(m_sysfsRoot) + QLatin1Char('/') + family.supply;
        if (!m_batteries.isEmpty() && insideRoot(folder, m_sysfsRoot))
            add(family.supply, folder);
        break;
    }
    case LaptopFamily::Place::Platform: {
        const QString path = m_sysfsRoot + QLatin1Char('/') + family.platformFile;
        // The folder must be the root's; the file itself is written without
        // following links.
        const QFileInfo file(path);
        if (!m_batteries.isEmpty() && file.exists() && !file.isDir() &&
            insideRoot(file.path(), m_sysfsRoot))
            controls.append({family.platformFile.section(QLatin1Char('/'), -2, -2), path, {}, {}});
        break;
    }
    }
    return controls;
}

std::optional<int> BatteryControl::endInForce(const Control &control) const
{
    auto value = readNumber(control.end);
    if (!value)
        return std::nullopt;
    if (*value == m_family->offValue)
        value = 100;
    if (*value < 0 || *value > 100)
        return std::nullopt;
    if (!control.mode.isEmpty() && readMode(control.mode) != m_family->modeNeeded)
        return 100; // the thresholds wait for their mode
    return value;
}

std::optional<int> BatteryControl::endThreshold() const
{
    if (m_controls.isEmpty())
        return std::nullopt;
    return endInForce(m_controls.first());
}

bool BatteryControl::differsFrom(int target) const
{
    for (const Control &control : m_controls)
        if (endInForce(control) != target)
            return true;
    return false;
}

bool BatteryControl::adapterOnline() const
{
    for (const PowerSupply &adapter : m_adapters)
        if (adapter.isOnline())
            return true;
    return false;
}

BatteryControl::Outcome BatteryControl::apply(int target)
{
    Outcome outcome;
    if (m_controls.isEmpty()) {
        outcome.failure = QStringLiteral("Kein Akku mit Ladeschwelle gefunden.");
        return outcome;
    }
    for (const Control &control : m_controls) {
        if (const auto failure = applyTo(control, target)) {
            outcome.failure = *failure;
            return outcome;
        }
    }
    const auto accepted = endThreshold();
    if (!accepted) {
        outcome.failure = QStringLiteral("Die Ladeschwelle von %1 ist nicht lesbar.")
                              .arg(m_controls.first().label);
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
    const int end = target >= 100 ? m_family->offValue : target;
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
        start = readNumber(control.start).value_or(-1);
        newStart = m_family->startFor(target, start);
    }
    if (newStart >= 0 && newStart < start)
        if (const auto failure = write(control.start, newStart))
            return failure;
    if (readNumber(control.end) != end)
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
    const auto active = readMode(control.mode);
    QString wanted;
    if (target < 100) {
        if (active == m_family->modeNeeded)
            return std::nullopt;
        if (!m_modesFound.contains(control.label) && active && plausibleMode(*active)) {
            m_modesFound.insert(control.label, *active);
            if (m_store && !m_store->saveModes(m_modesFound))
                qWarning("Lademodus von %s nicht gespeichert: nach einem Neustart bleibt %s",
                         qPrintable(control.label), qPrintable(m_family->modeNeeded));
        }
        wanted = m_family->modeNeeded;
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
    for (const PowerSupply &battery : m_batteries)
        names << battery.name();
    return names;
}

QString BatteryControl::relative(const QString &path) const
{
    const QString supplyDir = SysfsPaths::powerSupplyDir(m_sysfsRoot) + QLatin1Char('/');
    if (path.startsWith(supplyDir))
        return path.mid(supplyDir.size());
    return path.mid(m_sysfsRoot.size() + 1);
}

QStringList BatteryControl::attributes() const
{
    QStringList names;
    for (const Control &control : m_controls)
        for (const QString &path : {control.mode, control.start, control.end})
            if (!path.isEmpty())
                names << relative(path);
    return names;
}

QStringList BatteryControl::watchedFiles() const
{
    QStringList files;
    for (const Control &control : m_controls) {
        files << control.end;
        if (!control.mode.isEmpty())
            files << control.mode;
    }
    for (const PowerSupply &adapter : m_adapters)
        files << adapter.path() + QStringLiteral("/online");
    return files;
}

QStringList BatteryControl::watchedDirectories() const
{
    QStringList dirs{SysfsPaths::powerSupplyDir(m_sysfsRoot)};
    for (const PowerSupply &battery : m_batteries)
        dirs << battery.path();
    for (const Control &control : m_controls) {
        const QString folder = control.end.section(QLatin1Char('/'), 0, -2);
        if (!dirs.contains(folder))
            dirs << folder;
    }
    for (const PowerSupply &adapter : m_adapters)
        dirs << adapter.path();
    return dirs;
}
