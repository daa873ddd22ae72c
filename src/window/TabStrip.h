// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTabBar>

// A tab strip with each tab's symbol above its text: the five tabs then need
// only as much width as their words, and fit the window at the 10 and 11 point
// fonts desktops ship, without scroll arrows or shortened words.
class TabStrip : public QTabBar
{
    Q_OBJECT
public:
    explicit TabStrip(QWidget *parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *event) override;
};
