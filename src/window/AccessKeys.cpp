// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/AccessKeys.h"

#include "window/SegmentButton.h"

#include <QAbstractButton>
#include <QSet>
#include <QTabBar>

namespace
{
// Where in `text` the access key goes: a word's first letter, else any letter.
qsizetype keyPosition(const QString &text, const QSet<QChar> &used)
{
    for (const bool wordStart : {true, false})
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (!c.isLetter() || used.contains(c.toLower()))
                continue;
            if (!wordStart || i == 0 || !text.at(i - 1).isLetterOrNumber())
                return i;
        }
    return -1;
}

bool wanted(const QAbstractButton *b)
{
    // Segments are reached as their group, tabs by Ctrl+PgUp/PgDn.
    return !qobject_cast<const SegmentButton *>(b) && !qobject_cast<const QTabBar *>(b->parent()) &&
           !b->text().isEmpty();
}
} // namespace

void AccessKeys::assign(QWidget *root)
{
    const QList<QAbstractButton *> buttons = root->findChildren<QAbstractButton *>();
    QSet<QChar> used;
    for (const QAbstractButton *b : buttons)
        if (const qsizetype at = b->text().indexOf(QLatin1Char('&')); at >= 0 && wanted(b))
            used.insert(b->text().at(at + 1).toLower());
    for (QAbstractButton *b : buttons) {
        if (!wanted(b) || b->text().contains(QLatin1Char('&')))
            continue;
        const QString text = b->text();
        const qsizetype at = keyPosition(text, used);
        if (at < 0)
            continue;
        used.insert(text.at(at).toLower());
        b->setText(text.left(at) + QLatin1Char('&') + text.mid(at));
    }
}
