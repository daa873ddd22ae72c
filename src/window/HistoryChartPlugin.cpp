// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/HistoryChartPlugin.h"

#include "window/HistoryChart.h"

HealthChartView *HistoryChartPlugin::create(QWidget *parent)
{
    return new HistoryChart(parent);
}
