// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class HealthChartFactory;
class HealthChartView;
class QWidget;

// Loads the chart plugin on first use; null when it cannot be loaded, and the
// tab goes without a chart.
class HealthChartLoader
{
public:
    static HealthChartView *create(QWidget *parent);

    // Where the plugin is looked for: the folder in VOLTQUILL_PLUGIN_DIR (for
    // tests and tools run from the build tree), then the plugin folder at its
    // installed place relative to the agent (in the build tree the agent
    // finds it there too). No absolute path is compiled in.
    static QStringList folders();
    // The plugin from the first of `folders` that holds one; it stays loaded
    // for the rest of the run.
    static HealthChartFactory *load(const QStringList &folders);
};
