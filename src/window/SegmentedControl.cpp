// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/SegmentedControl.h"

#include "window/SegmentButton.h"

#include <QHBoxLayout>
#include <QKeyEvent>

SegmentedControl::SegmentedControl(QWidget *parent) : QWidget(parent), m_row(new QHBoxLayout(this))
{
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(0);
}

void SegmentedControl::setCaption(const QString &caption)
{
    m_caption = caption;
    setAccessibleName(caption);
    for (qsizetype i = 0; i < m_buttons.size(); ++i)
        m_buttons.at(i)->setAccessibleName(caption + QLatin1Char(' ') + m_buttons.at(i)->text());
}

void SegmentedControl::setValues(const QList<qint64> &values)
{
    if (values == m_values)
        return;
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_values = values;
    // New segments take the control's place in the Tab order, not the end;
    // Qt orders only widgets that take the focus, so the control does for that moment.
    setFocusPolicy(Qt::TabFocus);
    QWidget *previous = this;
    for (qsizetype i = 0; i < values.size(); ++i) {
        auto *button = new SegmentButton(QStringLiteral("%1 %").arg(values.at(i)), this);
        button->setObjectName(QStringLiteral("segment_%1").arg(values.at(i)));
        // One of a group to assistive technology (a radio button, not a check
        // box); the arrows are ours, not the group's.
        button->setAutoExclusive(true);
        button->installEventFilter(this);
        connect(button, &SegmentButton::clicked, this, [this, i] { pick(i); });
        m_row->addWidget(button);
        m_buttons.append(button);
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
    setFocusPolicy(Qt::NoFocus);
    setCaption(m_caption);
    showSelection();
}

void SegmentedControl::setSelected(std::optional<qint64> value)
{
    m_selected = value;
    showSelection();
}

void SegmentedControl::pick(qsizetype index)
{
    showSelection();
    if (m_selected != m_values.at(index))
        Q_EMIT picked(m_values.at(index));
}

void SegmentedControl::showSelection()
{
    const qsizetype selected = m_selected ? m_values.indexOf(*m_selected) : -1;
    qsizetype focused = -1;
    for (qsizetype i = 0; i < m_buttons.size(); ++i)
        if (m_buttons.at(i)->hasFocus())
            focused = i;
    // One Tab stop: the segment with the focus, else the selected one, else the first.
    const qsizetype stop = focused >= 0 ? focused : selected >= 0 ? selected : 0;
    // An exclusive group keeps its checked button; with nothing picked none is.
    for (SegmentButton *button : std::as_const(m_buttons))
        button->setAutoExclusive(false);
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        SegmentButton *button = m_buttons.at(i);
        button->setChecked(i == selected);
        button->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
    for (SegmentButton *button : std::as_const(m_buttons))
        button->setAutoExclusive(true);
}

void SegmentedControl::moveBy(qsizetype from, qsizetype delta)
{
    const qsizetype to = from + delta;
    if (to < 0 || to >= m_buttons.size())
        return;
    m_buttons.at(to)->setFocus(delta < 0 ? Qt::BacktabFocusReason : Qt::TabFocusReason);
    // With a choice made, the arrows move it; with none, only the focus.
    if (m_selected && m_values.contains(*m_selected))
        pick(to);
    else
        showSelection();
}

bool SegmentedControl::eventFilter(QObject *watched, QEvent *event)
{
    const qsizetype index = m_buttons.indexOf(qobject_cast<SegmentButton *>(watched));
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        showSelection();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        moveBy(index, -1);
        return true;
    case Qt::Key_Right:
    case Qt::Key_Down:
        moveBy(index, 1);
        return true;
    case Qt::Key_Home:
        moveBy(index, -index);
        return true;
    case Qt::Key_End:
        moveBy(index, m_buttons.size() - 1 - index);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        pick(index);
        return true;
    default:
        return false;
    }
}
