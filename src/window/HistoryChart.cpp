// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/HistoryChart.h"

#include "app/L.h"
#include "window/Contrast.h"

#include <QCategoryAxis>
#include <QDateTime>
#include <QFontMetrics>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTimeZone>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
QDate monthStart(qint64 month)
{
    return QDate(2001 + static_cast<int>(month / 12), static_cast<int>(month % 12) + 1, 1);
}
} // namespace

HistoryChart::HistoryChart(QWidget *parent)
    : QChartView(parent), m_line(new QLineSeries), m_points(new QScatterSeries),
      m_y(new QValueAxis), m_x(new QCategoryAxis)
{
    setObjectName(QStringLiteral("historyChart"));
    setRenderHint(QPainter::Antialiasing);
    setFixedHeight(170);
    QChart *c = chart();
    c->legend()->hide();
    c->setBackgroundVisible(false);
    // Room at the right for the last month's label, centred on the domain's end,
    // and at the top for the points of a battery at 100 %.
    c->setMargins(QMargins(0, 6, 24, 0));
    m_line->setName(QStringLiteral("Zustand"));
    m_points->setName(QStringLiteral("Zustand"));
    m_points->setMarkerSize(7);
    c->addSeries(m_line);
    c->addSeries(m_points);
    m_y->setTitleText(L("Zustand %"));
    m_y->setLabelFormat(QStringLiteral("%d"));
    m_x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    QFont small = m_x->labelsFont();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_x->setLabelsFont(small);
    m_y->setLabelsFont(small);
    c->addAxis(m_x, Qt::AlignBottom);
    c->addAxis(m_y, Qt::AlignLeft);
    for (QAbstractSeries *s :
         {static_cast<QAbstractSeries *>(m_line), static_cast<QAbstractSeries *>(m_points)}) {
        s->attachAxis(m_x);
        s->attachAxis(m_y);
    }
    applyPalette();
}

void HistoryChart::changeEvent(QEvent *event)
{
    QChartView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyPalette();
}

void HistoryChart::applyPalette()
{
    // The chart's own theme is drawn for a white page; the window's colours,
    // with the line and its labels standing out from the page, fit any palette.
    const QPalette p = palette();
    const QColor page = p.color(QPalette::Window);
    const QColor line = Contrast::against(p.color(QPalette::Highlight), page, Contrast::graphics);
    QPen pen(line, 2);
    m_line->setPen(pen);
    m_points->setColor(line);
    m_points->setBorderColor(line);
    const QColor text = Contrast::against(p.color(QPalette::WindowText), page, Contrast::text);
    for (QAbstractAxis *axis :
         {static_cast<QAbstractAxis *>(m_x), static_cast<QAbstractAxis *>(m_y)}) {
        axis->setLabelsColor(text);
        axis->setTitleBrush(text);
        axis->setLinePenColor(p.color(QPalette::Mid));
        axis->setGridLineColor(p.color(QPalette::Midlight));
    }
}

double HistoryChart::monthValue(double secondsSinceReference)
{
    // Beyond the calendar's range a month has no place on the axis.
    const double msecs = (secondsSinceReference + HealthSample::referenceEpoch) * 1000.0;
    if (!(std::abs(msecs) < 1e17))
        return std::numeric_limits<double>::quiet_NaN();
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(msecs)));
    const QDate day = at.date();
    if (!day.isValid())
        return std::numeric_limits<double>::quiet_NaN();
    const QDateTime start(QDate(day.year(), day.month(), 1), QTime(0, 0));
    const QDateTime next = start.addMonths(1);
    const double part = static_cast<double>(start.msecsTo(at)) / start.msecsTo(next);
    return (day.year() - 2001) * 12.0 + (day.month() - 1) + part;
}

QPair<qint64, qint64> HistoryChart::healthRange(const QList<HealthSample> &samples)
{
    if (samples.isEmpty())
        return {0, 100};
    const auto [low, high] = std::minmax_element(
        samples.begin(), samples.end(),
        [](const HealthSample &a, const HealthSample &b) { return a.health < b.health; });
    const qint64 lower = std::max<qint64>(0, low->health - 10);
    if (lower < 100)
        return {lower, 100};
    return {lower, std::max(high->health, lower) + 10};
}

qint64 HistoryChart::stride(qsizetype count, double span)
{
    const qint64 byCount = stride(count);
    if (!std::isfinite(span) || span <= 0)
        return byCount;
    const double bySpan = std::ceil(span / maxMarks);
    if (bySpan >= 1e12)
        return std::numeric_limits<qint64>::max() / 2;
    return std::max(byCount, static_cast<qint64>(bySpan));
}

void HistoryChart::setSamples(const QList<HealthSample> &samples)
{
    QList<QPointF> points;
    points.reserve(samples.size());
    for (const HealthSample &s : samples)
        if (const double x = monthValue(s.month); std::isfinite(x))
            points.append({x, static_cast<double>(s.health)});
    m_line->replace(points);
    m_points->replace(points);

    const auto [yMin, yMax] = healthRange(samples);
    m_y->setRange(static_cast<double>(yMin), static_cast<double>(yMax));
    m_y->setTickType(QValueAxis::TicksDynamic);
    m_y->setTickAnchor(0);
    m_y->setTickInterval(yMax - yMin > 40 ? 20 : yMax - yMin > 15 ? 5 : 2);

    // The domain reaches one calendar month beyond the first and last sample;
    // with no sample it sits around the present moment.
    const double now = QDateTime::currentSecsSinceEpoch() - HealthSample::referenceEpoch;
    const double first = points.isEmpty() ? monthValue(now) : points.first().x();
    const double last = points.isEmpty() ? monthValue(now) : points.last().x();
    const double lower = first - 1;
    const double upper = last + 1;

    for (const QString &label : m_x->categoriesLabels())
        m_x->remove(label);
    m_x->setStartValue(lower);
    // As many marks as their labels fit side by side under the plot (the
    // charting toolkit shortens labels that would touch).
    const QFontMetrics fm(m_x->labelsFont());
    const int labelWidth = fm.horizontalAdvance(QStringLiteral("Dez. 00")) + 14;
    const int plotWidth = std::max(width(), 488) - 70;
    const int fit = std::clamp(plotWidth / std::max(labelWidth, 1), 2, maxMarks);
    const qint64 n = std::max(stride(samples.size(), upper - lower),
                              static_cast<qint64>(std::ceil((upper - lower) / fit)));
    int marks = 0;
    for (qint64 month = static_cast<qint64>(std::ceil(lower)); month <= upper && marks <= maxMarks;
         month += n, ++marks) {
        if (month < 0)
            continue;
        m_x->append(appLocale().toString(monthStart(month), QStringLiteral("MMM yy")),
                    static_cast<double>(month));
    }
    m_x->setRange(lower, upper);
}
