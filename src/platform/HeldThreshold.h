// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

class ThresholdControls;

// The first battery's end threshold in force, read from sysfs by the family's
// rules the service follows too: no privilege needed, and what the kernel
// holds is what the battery does, whoever set it.
class HeldThreshold
{
public:
    // `sysfsRoot` empty: nothing is read.
    explicit HeldThreshold(QString sysfsRoot);
    ~HeldThreshold();

    // Nothing without a readable threshold.
    std::optional<int> read();
    // The limit it keeps: 1 to 99, else none.
    std::optional<int> limit();
    // The limits the family offers, as the service would; empty without a
    // threshold.
    QList<qint64> offered();
    // The family's limit is a firmware mode switched on, not a threshold.
    bool isFirmwareMode();

private:
    // Finds the controls once; false without a sysfs root.
    bool scanned();

    QString m_sysfsRoot;
    // Found once, sought again when they cannot be read: a tick costs a read
    // or two, not a walk through sysfs.
    std::unique_ptr<ThresholdControls> m_controls;
    std::optional<int> m_last;
};
