#include "policy/History.h"

// Placeholder until the health history lands.
History::History(QString dataHome, QObject *parent) : QObject(parent), m_dataHome(std::move(dataHome)) {}
void History::record(const BatteryInfo &, const QDateTime &) {}
void History::clear()
{
    m_samples.clear();
    Q_EMIT samplesChanged();
}
