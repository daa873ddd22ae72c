// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/HeldThreshold.h"

#include "shared/ThresholdControls.h"

#include <QFile>

HeldThreshold::HeldThreshold(QString sysfsRoot) : m_sysfsRoot(std::move(sysfsRoot)) {}

HeldThreshold::~HeldThreshold() = default;

std::optional<int> HeldThreshold::read()
{
    if (m_sysfsRoot.isEmpty())
        return std::nullopt;
    if (m_controls) {
        if (const auto value = m_controls->endThreshold()) {
            m_last = value;
            return value;
        }
        // Caught between a writer's truncation and its write (a moved sysfs
        // root): the write's own event follows.
        if (m_last && m_controls->isSupported() &&
            QFile::exists(m_controls->controls().first().end))
            return m_last;
    } else {
        m_controls = std::make_unique<ThresholdControls>(m_sysfsRoot);
    }
    m_controls->rescan();
    m_last = m_controls->endThreshold();
    return m_last;
}

bool HeldThreshold::isFirmwareMode()
{
    if (!scanned())
        return false;
    return m_controls->isSupported() && m_controls->family().held > 0;
}

bool HeldThreshold::scanned()
{
    if (m_sysfsRoot.isEmpty())
        return false;
    if (!m_controls) {
        m_controls = std::make_unique<ThresholdControls>(m_sysfsRoot);
        m_controls->rescan();
    }
    return true;
}

QList<qint64> HeldThreshold::offered()
{
    if (!scanned())
        return {};
    QList<qint64> limits;
    if (m_controls->isSupported())
        for (const int limit : m_controls->family().offeredLimits())
            limits << limit;
    return limits;
}

std::optional<int> HeldThreshold::limit()
{
    const auto held = read();
    return held && *held >= 1 && *held <= 99 ? held : std::nullopt;
}
