// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

class AppState;
class QLabel;
class QPushButton;
class SegmentedControl;

// "Laden": the state of charging, the limit selector, the one-off full charge
// and the battery's condition. Holds nothing itself; redraws on every change
// of the application state.
class ChargeTab : public QWidget
{
    Q_OBJECT
public:
    // otherWriters: who else writes the threshold (see WindowParts).
    explicit ChargeTab(AppState &state, std::function<QStringList()> otherWriters = {},
                       QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void redraw();
    QLabel *factRow(const QString &label, const QString &name);

    AppState &m_state;
    QLabel *m_status;
    SegmentedControl *m_selector;
    QLabel *m_limitLine;
    std::function<QStringList()> m_otherWriters;
    QLabel *m_writerNote;
    QLabel *m_firmwareNote;
    QWidget *m_scheduleNote;
    QLabel *m_scheduleText;
    QPushButton *m_fullOnce;
    QPushButton *m_reEnable;
    class QGridLayout *m_facts;
    QLabel *m_health;
    QLabel *m_cycles;
    QLabel *m_temperature;
    QLabel *m_adapter;
    QLabel *m_error;
};
