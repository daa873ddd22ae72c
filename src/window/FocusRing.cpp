// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/FocusRing.h"

#include "window/SegmentButton.h"
#include "window/Style.h"

#include <QApplication>
#include <QPainter>
#include <QTabBar>

namespace
{
constexpr int ringWidth = 2;
} // namespace

FocusRing::FocusRing(QWidget *window) : QFocusFrame(window), m_window(window)
{
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { follow(now); });
}

void FocusRing::follow(QWidget *now)
{
    const bool ownRing = qobject_cast<SegmentButton *>(now) || qobject_cast<QTabBar *>(now);
    setWidget(now && m_window->isAncestorOf(now) && !ownRing ? now : nullptr);
}

void FocusRing::paintEvent(QPaintEvent *)
{
    if (!widget())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Style::focusRing(widget()->palette()), ringWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = ringWidth / 2.0;
    painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 3, 3);
}
