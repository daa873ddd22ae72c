// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFocusFrame>

// A ring around the control with the focus, in the selection colour deep
// enough to stand out (3:1) from the window around it. The platform style's
// own focus marks are faint (a tinted border, a light box around a text);
// this one is seen in any palette. Segments and the tab strip draw their own.
class FocusRing : public QFocusFrame
{
    Q_OBJECT
public:
    explicit FocusRing(QWidget *window);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void follow(QWidget *now);

    QWidget *m_window;
};
