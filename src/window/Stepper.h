// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSpinBox>
#include <functional>

// A spin box that moves an integer within a range by a step, its text made by
// a label function ("bei 10 %"). Up/Down, Page keys, the arrows and typing
// work as in any spin box, and assistive technology gets its value, minimum
// and maximum. Only the user's changes are announced; setStoredValue stays silent.
class Stepper : public QSpinBox
{
    Q_OBJECT
public:
    using Label = std::function<QString(qint64)>;

    Stepper(Label label, qint64 minimum, qint64 maximum, qint64 step, QWidget *parent = nullptr);

    // Shows a stored value, also one outside the range (edited by hand): the
    // first step brings it back into the range.
    void setStoredValue(qint64 value);

    void stepBy(int steps) override;

Q_SIGNALS:
    void stepped(qint64 value);

protected:
    QString textFromValue(int value) const override;
    int valueFromText(const QString &text) const override;
    QValidator::State validate(QString &text, int &pos) const override;
    StepEnabled stepEnabled() const override;

private:
    Label m_label;
    int m_min;
    int m_max;
};
