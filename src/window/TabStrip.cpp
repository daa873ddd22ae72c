// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/TabStrip.h"

#include <QPen>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace
{
constexpr int sideMargin = 10;
constexpr int topMargin = 6;
constexpr int bottomMargin = 5;
constexpr int iconGap = 2; // between symbol and text
constexpr int focusRing = 2;
} // namespace

TabStrip::TabStrip(QWidget *parent) : QTabBar(parent)
{
    setExpanding(true);
    setElideMode(Qt::ElideNone);
    setDrawBase(true);
    // A strip that needs more room widens the window; arrows would hide tabs
    // and take Tab stops.
    setUsesScrollButtons(false);
    setFocusPolicy(Qt::StrongFocus);
}

QSize TabStrip::tabSizeHint(int index) const
{
    const QFontMetrics fm = fontMetrics();
    const int width = std::max(fm.horizontalAdvance(tabText(index)), iconSize().width());
    return {width + 2 * sideMargin,
            topMargin + iconSize().height() + iconGap + fm.height() + bottomMargin};
}

QSize TabStrip::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

void TabStrip::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    const QFontMetrics fm = fontMetrics();
    // The selected tab last, so that its shape overlaps its neighbours.
    QList<int> order;
    for (int i = 0; i < count(); ++i)
        if (i != currentIndex())
            order.append(i);
    if (currentIndex() >= 0)
        order.append(currentIndex());
    for (const int i : order) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        const QIcon icon = option.icon;
        const QString text = option.text;
        option.icon = QIcon();
        option.text.clear();
        painter.drawControl(QStyle::CE_TabBarTabShape, option);

        const QRect r = option.rect;
        const bool enabled = option.state & QStyle::State_Enabled;
        const QSize size = iconSize();
        const QPoint iconAt(r.center().x() - size.width() / 2 + 1, r.top() + topMargin);
        painter.drawPixmap(iconAt, icon.pixmap(size, devicePixelRatio(),
                                               enabled ? QIcon::Normal : QIcon::Disabled));
        const QRect textRect(r.left(), iconAt.y() + size.height() + iconGap, r.width(),
                             fm.height());
        painter.drawItemText(textRect, Qt::AlignHCenter | Qt::AlignTop, option.palette, enabled,
                             text, QPalette::WindowText);
        if (i == currentIndex() && hasFocus()) {
            // The style draws no frame around a focused tab: ours, in the text colour.
            painter.setPen(QPen(option.palette.color(QPalette::WindowText), focusRing));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(r).adjusted(3, 2, -3, -2));
        }
    }
}
