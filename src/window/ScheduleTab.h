// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QWidget>

class AppState;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;

// "Zeitplan": the weekday limits and the evening rule. Every change takes
// effect at once: the applied marker is cleared and the schedule applied anew.
class ScheduleTab : public QWidget
{
    Q_OBJECT
public:
    explicit ScheduleTab(AppState &state, QWidget *parent = nullptr);

private:
    void changed();
    void sync();
    void fillDayChoices();
    void showLine();

    AppState &m_state;
    QCheckBox *m_on;
    QGroupBox *m_days;
    QList<QPair<qint64, QComboBox *>> m_dayPickers;
    QList<qint64> m_offered;
    QGroupBox *m_evening;
    QCheckBox *m_eve;
    QComboBox *m_eveHour;
    QLabel *m_line;
};
