// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QToolButton;

// A label with − and + buttons that move an integer within a range by a step.
// Only the user's presses are announced; setValue stays silent.
class Stepper : public QWidget
{
    Q_OBJECT
public:
    using Label = std::function<QString(qint64)>;

    Stepper(Label label, qint64 minimum, qint64 maximum, qint64 step, QWidget *parent = nullptr);

    qint64 value() const { return m_value; }
    void setValue(qint64 value);

    QString text() const;
    QToolButton *downButton() const { return m_down; }
    QToolButton *upButton() const { return m_up; }

Q_SIGNALS:
    void stepped(qint64 value);

private:
    void move(qint64 delta);
    void update();

    Label m_label;
    qint64 m_min;
    qint64 m_max;
    qint64 m_step;
    qint64 m_value;
    QLabel *m_text;
    QToolButton *m_down;
    QToolButton *m_up;
};
