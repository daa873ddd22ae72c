// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "policy/HealthSample.h"

#include <QList>

class QWidget;

// The health chart as the history tab sees it. The chart lives in a plugin
// (see HealthChartFactory), loaded when the tab first shows samples, so it
// costs nothing before.
class HealthChartView
{
public:
    virtual ~HealthChartView() = default;
    virtual QWidget *widget() = 0;
    virtual void setSamples(const QList<HealthSample> &samples) = 0;
};
