#pragma once

#include "policy/HealthSample.h"

#include <QList>

class QWidget;

// The health chart as the history tab sees it. The chart lives in a library
// of its own, loaded when the tab first shows samples, so the chart library
// costs nothing before.
class HealthChartView
{
public:
    virtual ~HealthChartView() = default;
    virtual QWidget *widget() = 0;
    virtual void setSamples(const QList<HealthSample> &samples) = 0;
};

// The entry point the chart library exports.
using CreateHealthChart = HealthChartView *(*)(QWidget *parent);
inline constexpr char CreateHealthChartSymbol[] = "voltquill_create_health_chart";
