// SPDX-License-Identifier: GPL-3.0-or-later
// The icon's text drawn from stored outlines: the same picture as straight
// from the font, the font asked once per font setup, a damaged file survived.
#include "menubar/GlyphCache.h"
#include "menubar/MenuIcon.h"
#include "menubar/MenuIconFont.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace
{
const QString setup = QStringLiteral("6.4.2 1 2 3");

// The button picture for a 22-pixel slot at 2× as the panel gets it, with or
// without a cache; the designed picture at 2× beside it.
QImage button(qint64 percent, qint64 style, GlyphCache *glyphs)
{
    const MenuIcon icon = MenuIcon::image(percent, style == 0, Badge::charging, 80, glyphs);
    const QImage slot = icon.renderSlot(44);
    const QImage design = icon.render(2.0);
    QImage both(slot.width() + design.width(), std::max(slot.height(), design.height()),
                QImage::Format_ARGB32_Premultiplied);
    both.fill(Qt::transparent);
    QPainter painter(&both);
    painter.drawImage(0, 0, slot);
    painter.drawImage(slot.width(), 0, design);
    return both;
}

// The largest difference of any channel between two equally sized pictures.
int largestDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            worst = std::max(worst, std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))));
    return worst;
}

void drawAll(GlyphCache &glyphs)
{
    for (const qint64 percent : {-5, 7, 42, 80, 100, 120})
        for (const qint64 style : {0, 2})
            button(percent, style, &glyphs);
}
} // namespace

class TestGlyphCache : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameAsFont_data();
    void sameAsFont();
    void storedAndReused();
    void otherFontSetupStartsOver();
    void characterOutsideAlphabet();
    void damagedFile_data();
    void damagedFile();
    void beyondBounds_data();
    void beyondBounds();
    void notAFile();
    void unwritablePlace();

private:
    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }
};

void TestGlyphCache::sameAsFont_data()
{
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<qint64>("style");
    for (const qint64 percent : {-5, 0, 7, 19, 42, 80, 99, 100, 120})
        for (const qint64 style : {0, 2})
            QTest::addRow("%lld style %lld", percent, style) << percent << style;
}

void TestGlyphCache::sameAsFont()
{
    QFETCH(qint64, percent);
    QFETCH(qint64, style);
    GlyphCache glyphs({}, setup);
    const QImage cached = button(percent, style, &glyphs);
    const QImage direct = button(percent, style, nullptr);
    QCOMPARE(cached.size(), direct.size());
    // Set glyph by glyph, the digits land where the font's own layout puts
    // them; only antialiasing of a shared edge may differ by a step.
    QVERIFY2(largestDifference(cached, direct) <= 2,
             qPrintable(QString::number(largestDifference(cached, direct))));
}

void TestGlyphCache::storedAndReused()
{
    const QString path = file(QStringLiteral("stored/glyphs.json"));
    GlyphCache first(path, setup);
    drawAll(first);
    // The bold font at two sizes, each asked once.
    QCOMPARE(first.fontLookups(), 2);
    QVERIFY(QFile::exists(path));

    GlyphCache second(path, setup);
    drawAll(second);
    QCOMPARE(second.fontLookups(), 0);
    for (const qint64 percent : {-5, 42, 100})
        for (const qint64 style : {0, 2})
            QCOMPARE(button(percent, style, &second), button(percent, style, &first));
}

void TestGlyphCache::otherFontSetupStartsOver()
{
    const QString path = file(QStringLiteral("setup.json"));
    GlyphCache before(path, setup);
    drawAll(before);
    GlyphCache after(path, setup + QStringLiteral(" fonts installed"));
    drawAll(after);
    QCOMPARE(after.fontLookups(), before.fontLookups());
    GlyphCache again(path, setup + QStringLiteral(" fonts installed"));
    drawAll(again);
    QCOMPARE(again.fontLookups(), 0);
}

void TestGlyphCache::characterOutsideAlphabet()
{
    const QString path = file(QStringLiteral("extra.json"));
    const QFont font = MenuIconFont::bold(11.5);
    GlyphCache glyphs(path, setup);
    const QPainterPath x = glyphs.textPath(font, QStringLiteral("x"));
    QCOMPARE(glyphs.fontLookups(), 1);
    QCOMPARE(x.boundingRect(), MenuIconFont::textPath(font, QStringLiteral("x")).boundingRect());
    GlyphCache reread(path, setup);
    QCOMPARE(reread.textPath(font, QStringLiteral("x5")).boundingRect().left(),
             x.boundingRect().left());
    QCOMPARE(reread.fontLookups(), 0);
}

void TestGlyphCache::damagedFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    const QByteArray head = R"({"version":1,"fontSetup":"6.4.2 1 2 3","faces":{"f":{)";
    QTest::addRow("not JSON") << QByteArray("\x00\xff{{", 4);
    QTest::addRow("cut off") << head;
    QTest::addRow("an array") << QByteArray("[1,2,3]");
    QTest::addRow("other version")
        << QByteArray(R"({"version":99,"fontSetup":"6.4.2 1 2 3","faces":{}})");
    QTest::addRow("huge coordinate") << head + R"("0":{"advance":7,"path":[0,1e300,0]}}}})";
    QTest::addRow("not finite") << head + R"("0":{"advance":7,"path":[0,"nan",0]}}}})";
    QTest::addRow("curve without its points")
        << head + R"("0":{"advance":7,"path":[0,0,0,2,1,1]}}}})";
    QTest::addRow("curve point alone") << head + R"("0":{"advance":7,"path":[3,1,1]}}}})";
    QTest::addRow("unknown step") << head + R"("0":{"advance":7,"path":[9,1,1]}}}})";
    QTest::addRow("ragged path") << head + R"("0":{"advance":7,"path":[0,1]}}}})";
    QTest::addRow("advance a string") << head + R"("0":{"advance":"7","path":[]}}}})";
    QTest::addRow("two characters") << head + R"("01":{"advance":7,"path":[]}}}})";
    QTest::addRow("larger than any cache") << QByteArray(2 << 20, ' ');
}

void TestGlyphCache::damagedFile()
{
    QFETCH(QByteArray, contents);
    const QString path = file(QStringLiteral("damaged.json"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contents);
    }
    GlyphCache glyphs(path, setup);
    const QImage cached = button(42, 0, &glyphs);
    QCOMPARE(glyphs.fontLookups(), 1);
    QVERIFY(largestDifference(cached, button(42, 0, nullptr)) <= 2);
    // Taken anew and stored sound.
    GlyphCache reread(path, setup);
    button(42, 0, &reread);
    QCOMPARE(reread.fontLookups(), 0);
}

void TestGlyphCache::beyondBounds_data()
{
    QTest::addColumn<int>("elements");
    QTest::addColumn<double>("reach");
    QTest::addColumn<int>("glyphCount");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("kept");
    // The digit 4 of the icon's font replaced by a zig-zag of `elements` lines
    // between ±`reach`; the file filled up to `glyphCount` glyphs and `bytes` bytes.
    QTest::addRow("at every bound") << 512 << 64.0 << 256 << (256 << 10) << true;
    QTest::addRow("crafted: 20000 crossing lines, a redraw of seconds")
        << 20000 << 60.0 << 0 << 0 << false;
    QTest::addRow("one element too many") << 513 << 10.0 << 0 << 0 << false;
    QTest::addRow("a point beyond any glyph") << 20 << 64.5 << 0 << 0 << false;
    QTest::addRow("one glyph too many") << 20 << 10.0 << 257 << 0 << false;
    QTest::addRow("one byte too many") << 20 << 10.0 << 0 << (256 << 10) + 1 << false;
}

void TestGlyphCache::beyondBounds()
{
    QFETCH(int, elements);
    QFETCH(double, reach);
    QFETCH(int, glyphCount);
    QFETCH(int, bytes);
    QFETCH(bool, kept);
    const QString path = file(QStringLiteral("bounds.json"));
    QFile::remove(path);
    {
        GlyphCache sound(path, setup);
        button(42, 0, &sound);
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
    f.close();
    QJsonObject faces = root.value(QStringLiteral("faces")).toObject();
    const QString key = MenuIconFont::bold(11.5).key();
    QJsonObject face = faces.value(key).toObject();
    QVERIFY(face.contains(QStringLiteral("4")));
    QJsonArray zigzag;
    for (int i = 0; i < elements; ++i)
        for (const double v :
             {i == 0 ? 0.0 : 1.0, i % 2 ? reach : -reach, i % 4 < 2 ? reach : -reach})
            zigzag.append(v);
    face.insert(QStringLiteral("4"),
                QJsonObject{{QStringLiteral("advance"), 7}, {QStringLiteral("path"), zigzag}});
    QJsonObject filler;
    for (qsizetype n = face.size(); n < glyphCount; ++n)
        filler.insert(
            QString(QChar(0x4e00 + int(n))),
            QJsonObject{{QStringLiteral("advance"), 7}, {QStringLiteral("path"), QJsonArray()}});
    faces.insert(key, face);
    faces.insert(QStringLiteral("filler"), filler);
    root.insert(QStringLiteral("faces"), faces);
    QByteArray contents = QJsonDocument(root).toJson(QJsonDocument::Compact);
    // Each row oversteps one bound only.
    QVERIFY(contents.size() <= 256 << 10);
    if (contents.size() < bytes)
        contents.append(QByteArray(bytes - contents.size(), ' '));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(contents);
    f.close();

    GlyphCache glyphs(path, setup);
    const QImage cached = button(42, 0, &glyphs);
    QCOMPARE(glyphs.fontLookups(), kept ? 0 : 1);
    if (!kept)
        QVERIFY(largestDifference(cached, button(42, 0, nullptr)) <= 2);
}

void TestGlyphCache::notAFile()
{
    // A pipe in its place would block a reader until someone writes to it.
    const QString path = file(QStringLiteral("pipe.json"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    GlyphCache glyphs(path, setup);
    QVERIFY(largestDifference(button(42, 0, &glyphs), button(42, 0, nullptr)) <= 2);
    QCOMPARE(glyphs.fontLookups(), 1);
}

void TestGlyphCache::unwritablePlace()
{
    const QString blocker = file(QStringLiteral("a-file"));
    QFile f(blocker);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    GlyphCache glyphs(blocker + QStringLiteral("/glyphs.json"), setup);
    const QImage cached = button(42, 0, &glyphs);
    QVERIFY(largestDifference(cached, button(42, 0, nullptr)) <= 2);
    // Kept for the run even though it could not be stored.
    button(43, 0, &glyphs);
    QCOMPARE(glyphs.fontLookups(), 1);
}

QTEST_MAIN(TestGlyphCache)
#include "tst_glyphcache.moc"
