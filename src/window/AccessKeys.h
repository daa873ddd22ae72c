// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Alt+letter for every push button and switch under a root (one tab), each
// on the first letter of its text that no other control there uses yet,
// preferring the start of a word.
namespace AccessKeys
{
void assign(QWidget *root);
} // namespace AccessKeys
