// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/SegmentedControl.h"

#include <QHBoxLayout>
#include <QToolButton>

SegmentedControl::SegmentedControl(QWidget *parent) : QWidget(parent), m_row(new QHBoxLayout(this))
{
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(0);
}

void SegmentedControl::setValues(const QList<qint64> &values)
{
    if (values == m_values)
        return;
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_values = values;
    for (const qint64 value : values) {
        auto *button = new QToolButton(this);
        button->setText(QStringLiteral("%1 %").arg(value));
        button->setObjectName(QStringLiteral("segment_%1").arg(value));
        button->setCheckable(true);
        button->setAutoExclusive(false);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(button, &QToolButton::clicked, this, [this, value] {
            showSelection();
            if (m_selected != value)
                Q_EMIT picked(value);
        });
        m_row->addWidget(button);
        m_buttons.append(button);
    }
    showSelection();
}

void SegmentedControl::setSelected(std::optional<qint64> value)
{
    m_selected = value;
    showSelection();
}

void SegmentedControl::showSelection()
{
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        QAbstractButton *button = m_buttons.at(i);
        const bool selected = m_selected == m_values.at(i);
        button->setChecked(selected);
        // The selected segment in the palette's highlight, as a selection is;
        // a style's pressed shade alone barely stands out.
        QPalette p = palette();
        if (selected) {
            for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                p.setColor(group, QPalette::Button, p.color(group, QPalette::Highlight));
                p.setColor(group, QPalette::ButtonText, p.color(group, QPalette::HighlightedText));
            }
        }
        button->setPalette(p);
    }
}
