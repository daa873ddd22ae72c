// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "policy/HealthSample.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class AppState;
class History;
class HealthChartView;
class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

// "Verlauf": the monthly health record as chart and list, and deleting it.
// Chart and list are built when the tab is first shown, so an unopened tab
// costs nothing.
class HistoryTab : public QWidget
{
    Q_OBJECT
public:
    HistoryTab(History &history, AppState &state, QWidget *parent = nullptr);

    // The delete confirmation while it is shown.
    QMessageBox *confirmation() const { return m_confirm; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void build();
    void redraw();
    void askToClear();
    static QString monthName(double month);
    // What the chart shows, in words: first and last month, health then and now.
    static QString summary(const QList<HealthSample> &samples);

    History &m_history;
    AppState &m_state;
    QCheckBox *m_on;
    QLabel *m_empty;
    QWidget *m_content = nullptr;
    HealthChartView *m_chart = nullptr;
    QTreeWidget *m_list = nullptr;
    QPointer<QMessageBox> m_confirm;
};
