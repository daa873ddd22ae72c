// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/Stepper.h"

#include <QRegularExpression>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>
#include <optional>

namespace
{
std::optional<int> numberIn(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("-?\\d+"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured().toInt();
}
} // namespace

Stepper::Stepper(Label label, qint64 minimum, qint64 maximum, qint64 step, QWidget *parent)
    : QSpinBox(parent), m_label(std::move(label)), m_min(static_cast<int>(minimum)),
      m_max(static_cast<int>(maximum))
{
    setRange(m_min, m_max);
    setSingleStep(static_cast<int>(step));
    // A typed value counts once it is complete, not at each digit.
    setKeyboardTracking(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QSpinBox::valueChanged, this, [this](int v) { Q_EMIT stepped(v); });
}

void Stepper::setStoredValue(qint64 value)
{
    const QSignalBlocker blocker(this);
    const int v = static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
    setRange(std::min(m_min, v), std::max(m_max, v));
    setValue(v);
}

void Stepper::stepBy(int steps)
{
    const int next = std::clamp(value() + steps * singleStep(), m_min, m_max);
    if (next == value())
        return;
    {
        const QSignalBlocker blocker(this);
        setRange(m_min, m_max);
        setValue(next);
    }
    Q_EMIT stepped(next);
}

QAbstractSpinBox::StepEnabled Stepper::stepEnabled() const
{
    StepEnabled enabled = StepNone;
    if (value() > m_min)
        enabled |= StepDownEnabled;
    if (value() < m_max)
        enabled |= StepUpEnabled;
    return enabled;
}

QString Stepper::textFromValue(int value) const
{
    return m_label(value);
}

int Stepper::valueFromText(const QString &text) const
{
    return numberIn(text).value_or(value());
}

QValidator::State Stepper::validate(QString &text, int &) const
{
    // Only the values the steps reach; the label's words around them may go.
    const std::optional<int> v = numberIn(text);
    if (!v || *v < m_min || *v > m_max || (*v - m_min) % singleStep() != 0)
        return QValidator::Intermediate;
    return QValidator::Acceptable;
}
