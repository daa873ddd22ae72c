// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/Stepper.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

Stepper::Stepper(Label label, qint64 minimum, qint64 maximum, qint64 step, QWidget *parent)
    : QWidget(parent), m_label(std::move(label)), m_min(minimum), m_max(maximum), m_step(step),
      m_value(minimum), m_text(new QLabel(this)), m_down(new QToolButton(this)),
      m_up(new QToolButton(this))
{
    m_down->setText(QStringLiteral("−"));
    m_up->setText(QStringLiteral("+"));
    m_down->setObjectName(QStringLiteral("down"));
    m_up->setObjectName(QStringLiteral("up"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_text, 1);
    row->addWidget(m_down);
    row->addWidget(m_up);
    connect(m_down, &QToolButton::clicked, this, [this] { move(-m_step); });
    connect(m_up, &QToolButton::clicked, this, [this] { move(m_step); });
    update();
}

void Stepper::setValue(qint64 value)
{
    m_value = value;
    update();
}

QString Stepper::text() const
{
    return m_text->text();
}

void Stepper::move(qint64 delta)
{
    // A hand-edited value outside the range comes back into it on the first press.
    const qint64 next = std::clamp(m_value + delta, m_min, m_max);
    if (next == m_value)
        return;
    m_value = next;
    update();
    Q_EMIT stepped(m_value);
}

void Stepper::update()
{
    m_text->setText(m_label(m_value));
    m_down->setEnabled(m_value > m_min);
    m_up->setEnabled(m_value < m_max);
}
