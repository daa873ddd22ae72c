#pragma once

class HealthChartView;
class QWidget;

// Loads the chart library on first use (from the build tree or the install
// folder); null when it cannot be loaded, and the tab goes without a chart.
class HealthChartLoader
{
public:
    static HealthChartView *create(QWidget *parent);
};
