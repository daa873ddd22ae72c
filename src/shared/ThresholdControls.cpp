// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/ThresholdControls.h"

#include "shared/SysfsPaths.h"

#include <QFileInfo>

namespace
{
const QString EndName = QStringLiteral("charge_control_end_threshold");
const QString StartName = QStringLiteral("charge_control_start_threshold");
const QString LegacyEndName = QStringLiteral("charge_stop_threshold");
const QString LegacyStartName = QStringLiteral("charge_start_threshold");

QString existing(const QString &folder, const QString &name)
{
    const QString path = folder + QLatin1Char('/') + name;
    return QFileInfo::exists(path) ? path : QString();
}
} // namespace

ThresholdControls::ThresholdControls(QString sysfsRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_family(&LaptopFamily::generic())
{
}

std::optional<QByteArray> ThresholdControls::readText(const QString &path)
{
    return PowerSupply::attributeText(path);
}

std::optional<int> ThresholdControls::readNumber(const QString &path)
{
    const auto text = readText(path);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = text->toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<QString> ThresholdControls::readMode(const QString &path)
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

bool ThresholdControls::insideRoot(const QString &path, const QString &root)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonicalRoot.isEmpty() && canonical.startsWith(canonicalRoot + QLatin1Char('/'));
}

void ThresholdControls::rescan()
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
    // The charger that holds the thresholds is no adapter.
    if (m_family->place == LaptopFamily::Place::Supply)
        m_adapters.removeIf([&](const PowerSupply &s) { return s.name() == m_family->supply; });
}

QList<ThresholdControls::Control> ThresholdControls::controlsFor(const LaptopFamily &family) const
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

std::optional<int> ThresholdControls::endInForce(const Control &control) const
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

std::optional<int> ThresholdControls::endThreshold() const
{
    if (m_controls.isEmpty())
        return std::nullopt;
    return endInForce(m_controls.first());
}

bool ThresholdControls::differsFrom(int target) const
{
    for (const Control &control : m_controls)
        if (endInForce(control) != target)
            return true;
    return false;
}

QStringList ThresholdControls::watchedFiles() const
{
    QStringList files;
    for (const Control &control : m_controls) {
        files << control.end;
        if (!control.mode.isEmpty())
            files << control.mode;
    }
    return files;
}
