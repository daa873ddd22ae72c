// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

class QWidget;

// Puts widgets into the Tab order one after the other, in the order one sees
// them, whatever order they were made in.
namespace TabOrder
{
void chain(const QList<QWidget *> &widgets);
} // namespace TabOrder
