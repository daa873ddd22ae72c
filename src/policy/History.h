#pragma once

#include "app/BatteryInfo.h"
#include "policy/HealthSample.h"

#include <QDateTime>
#include <QList>
#include <QObject>

// One health sample per calendar month, kept in verlauf.json.
class History : public QObject
{
    Q_OBJECT
public:
    // dataHome: the XDG data home holding the Voltquill folder.
    explicit History(QString dataHome, QObject *parent = nullptr);

    const QList<HealthSample> &samples() const { return m_samples; }
    void record(const BatteryInfo &info, const QDateTime &now);
    void clear();

Q_SIGNALS:
    void samplesChanged();

private:
    QString m_dataHome;
    QList<HealthSample> m_samples;
};
