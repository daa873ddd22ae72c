// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Keeps the focus off controls that change a setting when the control that
// had it vanishes (hidden or disabled): Qt hands the focus on to the next
// control in the Tab order, and a second Space there would change something
// the user never aimed at. The focus goes on to the next safe control instead
// (a list, a tab strip, a text field), in Tab order.
class FocusGuard : public QObject
{
    Q_OBJECT
public:
    explicit FocusGuard(QWidget *window);

    // Whether Space or Return on `w` changes a setting.
    static bool changesSetting(const QWidget *w);

private:
    void moved(QWidget *from, QWidget *to);

    QWidget *m_window;
};
