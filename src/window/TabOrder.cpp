// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/TabOrder.h"

#include <QWidget>

void TabOrder::chain(const QList<QWidget *> &widgets)
{
    for (qsizetype i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets.at(i - 1), widgets.at(i));
}
