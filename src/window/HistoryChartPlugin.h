// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "window/HealthChartFactory.h"

#include <QObject>

// The plugin's root object: makes HistoryCharts.
class HistoryChartPlugin : public QObject, public HealthChartFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HealthChartFactory_iid)
    Q_INTERFACES(HealthChartFactory)
public:
    HealthChartView *create(QWidget *parent) override;
};
