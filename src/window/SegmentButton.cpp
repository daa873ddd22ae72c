// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/SegmentButton.h"

#include "window/Style.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace
{
constexpr int sidePadding = 8;
constexpr int ringWidth = 2;
} // namespace

SegmentButton::SegmentButton(const QString &text, QWidget *parent) : QRadioButton(text, parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize SegmentButton::sizeHint() const
{
    QStyleOptionButton option;
    option.initFrom(this);
    const QSize text = fontMetrics()
                           .size(Qt::TextShowMnemonic, QStringLiteral("100 %"))
                           .expandedTo(fontMetrics().size(Qt::TextShowMnemonic, this->text()));
    return style()->sizeFromContents(QStyle::CT_PushButton, &option,
                                     text + QSize(2 * sidePadding, 4), this);
}

QSize SegmentButton::minimumSizeHint() const
{
    return sizeHint();
}

bool SegmentButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void SegmentButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.state &= ~QStyle::State_HasFocus; // our own ring, below
    const bool selected = isChecked();
    QPalette colours = palette();
    if (selected) {
        // The fill in the selection colour, its text readable on it.
        const QColor fill = Style::selectionFill(colours);
        colours.setColor(QPalette::Button, fill);
        colours.setColor(QPalette::ButtonText, colours.color(QPalette::HighlightedText));
        option.state |= QStyle::State_On;
    }
    if (isDown())
        option.state |= QStyle::State_Sunken;
    option.palette = colours;
    painter.drawControl(QStyle::CE_PushButtonBevel, option);
    if (selected)
        painter.fillRect(rect().adjusted(1, 1, -1, -1), colours.color(QPalette::Button));
    painter.setPen(colours.color(QPalette::ButtonText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
    if (hasFocus()) {
        // A ring that stands out from the fill it is drawn on and the window
        // around it: the text colour of the segment.
        QPen pen(colours.color(QPalette::ButtonText), ringWidth);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(3, 3, -3, -3));
    }
}
