// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "policy/HealthSample.h"
#include "window/HealthChartView.h"

#include <QChartView>
#include <QList>

class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

// Health over the months: a line through one point per sample. The horizontal
// axis counts calendar months (see monthValue), so a mark falls on each n-th
// month however long the months are.
class HistoryChart : public QChartView, public HealthChartView
{
    Q_OBJECT
public:
    explicit HistoryChart(QWidget *parent = nullptr);

    QWidget *widget() override { return this; }
    void setSamples(const QList<HealthSample> &samples) override;

    // Calendar months since January 2001 in local time, with the part of the
    // month gone by as fraction.
    static double monthValue(double secondsSinceReference);
    // The vertical range: max(0, h − 10) to 100, h the lowest health; when
    // hand-edited values lift the lower bound to 100 or more, the range grows
    // upwards so it stays valid and shows every point.
    static QPair<qint64, qint64> healthRange(const QList<HealthSample> &samples);
    // A mark every n-th month: 1 below 6 samples, else a sixth of their number.
    static qint64 stride(qsizetype count) { return count < 6 ? 1 : count / 6; }
    // The same, widened so that the `span` of months shown gets no more marks
    // than fit under the chart: a few samples years apart are not hundreds of
    // labels on top of each other (nor hours of work).
    static qint64 stride(qsizetype count, double span);
    static constexpr int maxMarks = 8;

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyPalette();

    QLineSeries *m_line;
    QScatterSeries *m_points;
    QValueAxis *m_y;
    QCategoryAxis *m_x;
};
