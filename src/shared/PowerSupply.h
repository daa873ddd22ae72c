// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

// One supply folder under /sys/class/power_supply. Attributes are read on
// demand; one that is missing or vanishes mid-read reads as nothing.
class PowerSupply
{
public:
    explicit PowerSupply(QString path) : m_path(std::move(path)) {}

    // Every supply of the folder, sorted by name.
    static QList<PowerSupply> enumerate(const QString &powerSupplyDir);
    // The same for one reading of them all: each supply's folder opened once,
    // each attribute read relative to it and at most once. Not to keep: what
    // changes later is not seen.
    static QList<PowerSupply> snapshot(const QString &powerSupplyDir);

    QString path() const { return m_path; }
    QString name() const;

    std::optional<QByteArray> text(const char *attribute) const;
    // An attribute file's text, trimmed; nothing when unreadable, long, or
    // no regular file (a link or FIFO planted in its place).
    static std::optional<QByteArray> attributeText(const QString &path);
    // A decimal integer attribute; anything else reads as nothing.
    std::optional<qint64> number(const char *attribute) const;

    QByteArray type() const { return text("type").value_or(QByteArray()); }
    bool isDeviceScope() const { return text("scope").value_or(QByteArray()) == "Device"; }
    // 1 online, 2 online and programmable (USB-PD), 0 offline.
    bool isOnline() const { return number("online").value_or(0) > 0; }
    // A laptop battery: type Battery, not the battery of a mouse or headset.
    bool isSystemBattery() const { return type() == "Battery" && !isDeviceScope(); }

private:
    struct Snapshot;

    QString m_path;
    std::shared_ptr<Snapshot> m_snapshot; // only from snapshot()
};
