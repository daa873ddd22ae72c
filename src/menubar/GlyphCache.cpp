// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/GlyphCache.h"

#include "menubar/MenuIconFont.h"
#include "shared/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <optional>

namespace
{
constexpr int formatVersion = 1;
// The file is outside input and every outline in it is filled on each redraw,
// so what it may hold is bounded at about five times what the icon's three
// fonts store (50 KiB, 39 glyphs, at most 105 elements and 12.3 points from the
// origin): beyond that it is not ours, and a crafted one would cost seconds of
// CPU per redraw.
constexpr qint64 maxFileSize = 256 << 10;
constexpr int maxGlyphs = 256;
constexpr qsizetype maxElements = 512;
constexpr double maxCoordinate = 64.0;

QJsonArray encodePath(const QPainterPath &path)
{
    QJsonArray out;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        out.append(static_cast<int>(e.type));
        out.append(e.x);
        out.append(e.y);
    }
    return out;
}

bool coordinate(const QJsonValue &v, qreal &out)
{
    if (!v.isDouble())
        return false;
    out = v.toDouble();
    return std::isfinite(out) && std::abs(out) <= maxCoordinate;
}

// Rebuilds a path from its elements; anything but whole move, line and curve
// steps makes it unreadable.
std::optional<QPainterPath> decodePath(const QJsonArray &in)
{
    if (in.size() % 3 != 0 || in.size() / 3 > maxElements)
        return std::nullopt;
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    QPointF points[3];
    for (qsizetype i = 0; i < in.size();) {
        const int type = in.at(i).toInt(-1);
        const int steps = type == QPainterPath::CurveToElement ? 3 : 1;
        if (i + 3 * steps > in.size())
            return std::nullopt;
        for (int s = 0; s < steps; ++s, i += 3) {
            const int t = in.at(i).toInt(-1);
            if (s > 0 && t != QPainterPath::CurveToDataElement)
                return std::nullopt;
            qreal x = 0, y = 0;
            if (!coordinate(in.at(i + 1), x) || !coordinate(in.at(i + 2), y))
                return std::nullopt;
            points[s] = QPointF(x, y);
        }
        switch (type) {
        case QPainterPath::MoveToElement:
            path.moveTo(points[0]);
            break;
        case QPainterPath::LineToElement:
            path.lineTo(points[0]);
            break;
        case QPainterPath::CurveToElement:
            path.cubicTo(points[0], points[1], points[2]);
            break;
        default:
            return std::nullopt;
        }
    }
    return path;
}
} // namespace

GlyphCache::GlyphCache(QString file, QString fontSetup)
    : m_file(std::move(file)), m_fontSetup(std::move(fontSetup))
{
}

const QString &GlyphCache::alphabet()
{
    static const QString chars = QStringLiteral("0123456789-% ");
    return chars;
}

QPainterPath GlyphCache::textPath(const QFont &font, const QString &text)
{
    const Face &face = faceFor(font, text);
    QPainterPath out;
    out.setFillRule(Qt::WindingFill);
    qreal x = 0;
    for (const QChar c : text) {
        const Glyph &g = face[c];
        out.addPath(g.path.translated(x, 0));
        x += g.advance;
    }
    return out;
}

qreal GlyphCache::advance(const QFont &font, const QString &text)
{
    const Face &face = faceFor(font, text);
    qreal width = 0;
    for (const QChar c : text)
        width += face[c].advance;
    return width;
}

const GlyphCache::Face &GlyphCache::faceFor(const QFont &font, const QString &text)
{
    if (!m_loaded)
        load();
    Face &face = m_faces[font.key()];
    QString missing;
    for (const QChar c : text)
        if (!face.contains(c) && !missing.contains(c))
            missing.append(c);
    if (missing.isEmpty())
        return face;
    // The font is loaded now anyway: take the whole alphabet with it.
    ++m_fontLookups;
    for (const QChar c : alphabet() + missing)
        if (!face.contains(c))
            face.insert(c, {MenuIconFont::advance(font, c), MenuIconFont::textPath(font, c)});
    save();
    return face;
}

void GlyphCache::load()
{
    m_loaded = true;
    if (m_file.isEmpty())
        return;
    // Only a cache: anything but a small regular file is taken anew from the
    // font and replaced at the next save.
    RegularFile::removeTemporaries(m_file);
    const RegularFile::Contents contents = RegularFile::read(m_file, maxFileSize);
    if (contents.status != RegularFile::Status::Read)
        return;
    const QJsonObject root = QJsonDocument::fromJson(contents.data).object();
    if (root.value(QStringLiteral("version")).toInt() != formatVersion ||
        root.value(QStringLiteral("fontSetup")).toString() != m_fontSetup)
        return;
    // All or nothing: a damaged file is taken anew from the font.
    const QJsonObject faces = root.value(QStringLiteral("faces")).toObject();
    QHash<QString, Face> loaded;
    int glyphCount = 0;
    for (auto f = faces.begin(); f != faces.end(); ++f) {
        const QJsonObject glyphs = f.value().toObject();
        glyphCount += glyphs.size();
        if (glyphCount > maxGlyphs)
            return;
        Face face;
        for (auto g = glyphs.begin(); g != glyphs.end(); ++g) {
            const QJsonObject entry = g.value().toObject();
            qreal advance = 0;
            const auto path = decodePath(entry.value(QStringLiteral("path")).toArray());
            if (g.key().size() != 1 || !path ||
                !coordinate(entry.value(QStringLiteral("advance")), advance))
                return;
            face.insert(g.key().at(0), {advance, *path});
        }
        loaded.insert(f.key(), face);
    }
    m_faces = std::move(loaded);
}

void GlyphCache::save() const
{
    if (m_file.isEmpty())
        return;
    QJsonObject faces;
    for (auto f = m_faces.begin(); f != m_faces.end(); ++f) {
        QJsonObject glyphs;
        for (auto g = f->begin(); g != f->end(); ++g)
            glyphs.insert(QString(g.key()),
                          QJsonObject{{QStringLiteral("advance"), g->advance},
                                      {QStringLiteral("path"), encodePath(g->path)}});
        faces.insert(f.key(), glyphs);
    }
    const QJsonObject root{{QStringLiteral("version"), formatVersion},
                           {QStringLiteral("fontSetup"), m_fontSetup},
                           {QStringLiteral("faces"), faces}};
    // Only a cache: when it cannot be written, the next start asks the font again.
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    RegularFile::write(m_file, QJsonDocument(root).toJson(QJsonDocument::Compact));
}
