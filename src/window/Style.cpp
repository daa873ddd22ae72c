// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/Style.h"

#include "window/Contrast.h"

#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QSize>

// Outside any namespace, as the resource's initialiser is.
static void initSymbols()
{
    Q_INIT_RESOURCE(symbols);
}

namespace
{
// What a text may stand on: its own background, and the panes styles draw
// lighter (light palettes) or in the palette's light shade (dark ones) for
// tab pages and group frames.
QList<QColor> backgrounds(const QPalette &p, QPalette::ColorRole own)
{
    return {p.color(own), p.color(QPalette::Window), p.color(QPalette::Base),
            p.color(QPalette::Light), p.color(QPalette::Button)};
}

void scaleFont(QWidget *w, double factor, bool bold = false)
{
    QFont font = w->font();
    font.setPointSizeF(font.pointSizeF() * factor);
    if (bold)
        font.setBold(true);
    w->setFont(font);
}
} // namespace

void Style::headline(QWidget *w)
{
    scaleFont(w, 1.15, true);
}
void Style::subheadline(QWidget *w)
{
    scaleFont(w, 0.95);
}
void Style::callout(QWidget *w)
{
    scaleFont(w, 0.95);
}
void Style::footnote(QWidget *w)
{
    scaleFont(w, 0.85);
}

void Style::secondary(QWidget *w)
{
    QPalette p = w->palette();
    const QColor colour = secondaryText(p, w->backgroundRole());
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    w->setPalette(p);
}

void Style::red(QWidget *w)
{
    QPalette p = w->palette();
    const QColor colour = Contrast::against(QColor(0xd7, 0x00, 0x15),
                                            backgrounds(p, w->backgroundRole()), Contrast::text);
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    w->setPalette(p);
}

QColor Style::secondaryText(const QPalette &p, QPalette::ColorRole background)
{
    return Contrast::against(p.color(QPalette::PlaceholderText), backgrounds(p, background),
                             Contrast::text);
}

QColor Style::focusRing(const QPalette &p)
{
    return Contrast::against(p.color(QPalette::Highlight), backgrounds(p, QPalette::Window),
                             Contrast::graphics);
}

QColor Style::selectionFill(const QPalette &p)
{
    return Contrast::against(p.color(QPalette::Highlight), p.color(QPalette::HighlightedText),
                             Contrast::text);
}

QLabel *Style::text(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QIcon Style::themeIcon(const char *shipped, std::initializer_list<const char *> names)
{
    // Only the theme's monochrome forms: its full-colour ones are drawn for
    // other sizes and sit oddly beside text.
    for (const char *name : names) {
        const QString candidate = QString::fromLatin1(name) + QStringLiteral("-symbolic");
        if (QIcon::hasThemeIcon(candidate))
            return QIcon::fromTheme(candidate);
    }
    return ownSymbol(shipped);
}

QIcon Style::ownSymbol(const char *name)
{
    initSymbols();
    QIcon icon;
    for (const int side : {16, 24, 32, 48})
        icon.addFile(QStringLiteral(":/symbols/%1-%2.png").arg(QLatin1String(name)).arg(side),
                     QSize(side, side));
    return icon;
}
