// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtPlugin>

class HealthChartView;
class QWidget;

// What the chart plugin offers: the chart and with it Qt Charts stay out of
// the agent until the history tab first shows samples.
class HealthChartFactory
{
public:
    virtual ~HealthChartFactory() = default;
    virtual HealthChartView *create(QWidget *parent) = 0;
};

#define HealthChartFactory_iid "org.voltquill.HealthChartFactory/1"
Q_DECLARE_INTERFACE(HealthChartFactory, HealthChartFactory_iid)
