// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/FocusGuard.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>

FocusGuard::FocusGuard(QWidget *window) : QObject(window), m_window(window)
{
    connect(qApp, &QApplication::focusChanged, this, &FocusGuard::moved);
}

bool FocusGuard::changesSetting(const QWidget *w)
{
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QAbstractSpinBox *>(w);
}

void FocusGuard::moved(QWidget *from, QWidget *to)
{
    if (!from || !to || !m_window->isAncestorOf(from) || !m_window->isAncestorOf(to))
        return;
    // Only where the focus was pushed away, not where the user moved it.
    if (from->isVisible() && from->isEnabled())
        return;
    if (!changesSetting(to))
        return;
    for (QWidget *w = to->nextInFocusChain(); w && w != to; w = w->nextInFocusChain()) {
        if (!m_window->isAncestorOf(w) || (w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus ||
            !w->isVisible() || !w->isEnabled() || changesSetting(w))
            continue;
        w->setFocus(Qt::OtherFocusReason);
        return;
    }
}
