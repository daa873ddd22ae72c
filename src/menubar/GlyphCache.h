// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QHash>
#include <QPainterPath>
#include <QString>

// The outlines of the few characters the panel icon writes, kept in a file so
// that drawing the icon needs no font stack: fontconfig, FreeType, HarfBuzz,
// the font files and the font database stay out of the agent (about 1.7 MiB)
// until a menu or a window shows text. On a miss the outlines are taken from
// the font once and stored; a different font setup starts over.
class GlyphCache
{
public:
    // `file` empty: nothing is read or stored. `fontSetup` names the state of
    // the fonts installed and configured; a file made under another is dropped.
    GlyphCache(QString file, QString fontSetup);

    // Like MenuIconFont::textPath and MenuIconFont::advance, without kerning
    // between the characters (digits have none).
    QPainterPath textPath(const QFont &font, const QString &text);
    qreal advance(const QFont &font, const QString &text);

    // How often outlines had to be taken from a font in this run.
    int fontLookups() const { return m_fontLookups; }

    // The characters taken from a font together on each miss.
    static const QString &alphabet();

private:
    struct Glyph {
        qreal advance = 0;
        QPainterPath path;
    };
    using Face = QHash<QChar, Glyph>;

    // The face of `font`, holding every character of `text`.
    const Face &faceFor(const QFont &font, const QString &text);
    void load();
    void save() const;

    QString m_file;
    QString m_fontSetup;
    bool m_loaded = false;
    int m_fontLookups = 0;
    QHash<QString, Face> m_faces; // by QFont::key()
};
