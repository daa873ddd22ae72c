#include "window/HistoryChartPlugin.h"

#include "window/HistoryChart.h"

HealthChartView *HistoryChartPlugin::create(QWidget *parent)
{
    return new HistoryChart(parent);
}
