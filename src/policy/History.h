// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/BatteryInfo.h"
#include "policy/HealthSample.h"

#include <QDateTime>
#include <QList>
#include <QObject>

// One health sample per calendar month, kept in Voltquill/verlauf.json under
// the XDG data home. The file is rewritten only when the list changes; a
// failed write leaves the file as it was and the list in memory as recorded.
class History : public QObject
{
    Q_OBJECT
public:
    // dataHome: the XDG data home holding the Voltquill folder. Loads the file.
    explicit History(QString dataHome, QObject *parent = nullptr);

    const QList<HealthSample> &samples() const { return m_samples; }
    // Replaces or adds the sample of now's local month, with a battery and a
    // health above 0, while "historyOn" is on.
    void record(const BatteryInfo &info, const QDateTime &now);
    // Empties the list and removes the file.
    void clear();

    // The file, after taking over the legacy folder and creating the folder.
    QString filePath() const;
    // The first instant of the local calendar month of `now`, in seconds since
    // 2001-01-01 UTC.
    static double monthOf(const QDateTime &now);
    // The compact JSON array of the file format.
    static QByteArray encode(const QList<HealthSample> &samples);
    // Empty for anything but a JSON array whose every element is a sample.
    static std::optional<QList<HealthSample>> decode(const QByteArray &data);

Q_SIGNALS:
    void samplesChanged();

private:
    void load();
    void save();
    bool keepAside(const QString &path) const;
    void assign(QList<HealthSample> samples);

    QString m_dataHome;
    QList<HealthSample> m_samples;
    // Why the file on disk could not be used (unreadable, undecodable, no
    // regular file, too large): it must not be replaced, only moved aside.
    QString m_unusableReason;
};
