// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPalette>
#include <QString>
#include <initializer_list>

class QColor;
class QIcon;
class QLabel;
class QWidget;

// The few text styles of the settings window, relative to the desktop's font.
namespace Style
{
void headline(QWidget *w);
void subheadline(QWidget *w);
void callout(QWidget *w);
void footnote(QWidget *w);
// Secondary and red texts, readable (4.5:1) on the widget's background in
// any palette.
void secondary(QWidget *w);
void red(QWidget *w);
// The secondary text colour of `p`, readable on `background`.
QColor secondaryText(const QPalette &p, QPalette::ColorRole background = QPalette::Window);
// The fill of a selected segment: the selection colour, deep enough for its
// text (HighlightedText) to be readable on it.
QColor selectionFill(const QPalette &p);
// A focus ring's colour: the selection colour, standing out (3:1) from the
// window and the panes around a control.
QColor focusRing(const QPalette &p);
// A label that wraps and can be selected nowhere: the window's running text.
QLabel *text(const QString &text, QWidget *parent = nullptr);
// The symbolic form of the first of the freedesktop icon names the theme
// knows, from the most to the least fitting; without any of them (or without
// a theme) the symbol `shipped` of our own: battery, calendar, bell, chart or
// gear.
QIcon themeIcon(const char *shipped, std::initializer_list<const char *> names);
QIcon ownSymbol(const char *name);
} // namespace Style
