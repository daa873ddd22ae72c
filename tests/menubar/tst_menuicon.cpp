// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel facts of the drawn battery icon, read back from the rendered images.
#include "IconPixels.h"
#include "PanelContrast.h"
#include "menubar/ButtonImage.h"
#include "menubar/MenuIcon.h"
#include "menubar/MenuIconFrame.h"
#include "menubar/PanelColour.h"
#include "menubar/PortalColorScheme.h"

#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

namespace
{
constexpr qreal dimNumber = 0.3;
constexpr qreal dimBar = 0.5;

// Where the level ends on the outline, from the bottom edge's straight part
// (x 5…28, clear of the corners): the opaque length added to its start.
qreal opaqueOutlineEnd(const IconPixels &px)
{
    qreal opaque = 0;
    int rows = 0;
    const QRectF edge(5.0, 3.0, 23.0, 1.0); // inside the 1.8 stroke around y = 3.5
    px.forEach(edge, [&](qreal, qreal y, qreal a) {
        Q_UNUSED(y);
        opaque += std::clamp((a - dimNumber) / (1.0 - dimNumber), 0.0, 1.0);
    });
    rows = static_cast<int>(std::round(px.dpr()));
    return edge.left() + opaque / px.dpr() / rows;
}
} // namespace

class TestMenuIcon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void size_data();
    void size();
    void levelOnOutline_data();
    void levelOnOutline();
    void bar_data();
    void bar();
    void marker_data();
    void marker();
    void digits_data();
    void digits();
    void glyphInBar_data();
    void glyphInBar();
    void glyphBesideDigits_data();
    void glyphBesideDigits();
    void tint_data();
    void tint();
    void slotPicture_data();
    void slotPicture();
    void slotDigits_data();
    void slotDigits();
    void panelScheme_data();
    void panelScheme();
    void iconColour_data();
    void iconColour();
    void trayManagerText_data();
    void trayManagerText();
    void digitsReadableInSmallSlots_data();
    void digitsReadableInSmallSlots();
    void unknownPanelReadsOnBlackAndWhite_data();
    void unknownPanelReadsOnBlackAndWhite();
    void portalValue_data();
    void portalValue();
    void writeRenderings();
};

void TestMenuIcon::size_data()
{
    QTest::addColumn<bool>("showNumber");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QSizeF>("points");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("number 1x") << true << 1.0 << QSizeF(36.1, 18.0) << QSize(37, 18);
    QTest::newRow("number 2x") << true << 2.0 << QSizeF(36.1, 18.0) << QSize(73, 36);
    QTest::newRow("bar 1x") << false << 1.0 << QSizeF(27.1, 18.0) << QSize(28, 18);
    QTest::newRow("bar 2x") << false << 2.0 << QSizeF(27.1, 18.0) << QSize(55, 36);
}

void TestMenuIcon::size()
{
    QFETCH(bool, showNumber);
    QFETCH(qreal, dpr);
    QFETCH(QSizeF, points);
    QFETCH(QSize, pixels);
    const MenuIcon icon = MenuIcon::image(100, showNumber, Badge::none, 80);
    QCOMPARE(icon.size(), points);
    const QImage image = icon.render(dpr);
    QCOMPARE(image.size(), pixels);
    QCOMPARE(image.devicePixelRatio(), dpr);
    // The tip ends 0.5 short of the image's width: nothing is drawn past it.
    const IconPixels px(image);
    QCOMPARE(px.maxAlpha(QRectF(points.width() - 0.4, 0, 1.0, 18)), 0.0);
    QVERIFY(px.alphaAt(points.width() - 1.3, 10.5) > 0.25);
}

void TestMenuIcon::levelOnOutline_data()
{
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<qreal>("end"); // where the opaque part of the bottom edge ends
    QTest::addColumn<bool>("tipOpaque");
    for (const qreal dpr : {1.0, 2.0}) {
        const QByteArray s = dpr == 1.0 ? " 1x" : " 2x";
        QTest::newRow("50" + s) << qint64(50) << dpr << 16.5 << false;
        QTest::newRow("25" + s) << qint64(25) << dpr << 7.6 << false;
        QTest::newRow("0: all dim" + s) << qint64(0) << dpr << 5.0 << false;
        QTest::newRow("-5 as 0" + s) << qint64(-5) << dpr << 5.0 << false;
        QTest::newRow("100: all opaque" + s) << qint64(100) << dpr << 28.0 << true;
        QTest::newRow("120 as 100" + s) << qint64(120) << dpr << 28.0 << true;
    }
}

void TestMenuIcon::levelOnOutline()
{
    QFETCH(qint64, percent);
    QFETCH(qreal, dpr);
    QFETCH(qreal, end);
    QFETCH(bool, tipOpaque);
    const IconPixels px(MenuIcon::image(percent, true, Badge::none).render(dpr));
    QVERIFY2(std::abs(opaqueOutlineEnd(px) - end) <= 0.1,
             qPrintable(QString::number(opaqueOutlineEnd(px))));
    // The tip is filled in the middle: opaque only with the level at 1.
    QCOMPARE(px.alphaAt(34.8, 10.5), tipOpaque ? 1.0 : std::round(dimNumber * 255) / 255);
}

void TestMenuIcon::bar_data()
{
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<qreal>("width");
    for (const qreal dpr : {1.0, 2.0}) {
        const QByteArray s = dpr == 1.0 ? " 1x" : " 2x";
        QTest::newRow("1: minimum" + s) << qint64(1) << dpr << 1.5;
        QTest::newRow("7: minimum" + s) << qint64(7) << dpr << 1.5;
        QTest::newRow("8: level" + s) << qint64(8) << dpr << 1.52;
        QTest::newRow("0: none" + s) << qint64(0) << dpr << 0.0;
        QTest::newRow("-5: none" + s) << qint64(-5) << dpr << 0.0;
        QTest::newRow("50" + s) << qint64(50) << dpr << 9.5;
        QTest::newRow("100: full" + s) << qint64(100) << dpr << 19.0;
        QTest::newRow("120: full" + s) << qint64(120) << dpr << 19.0;
    }
}

void TestMenuIcon::bar()
{
    QFETCH(qint64, percent);
    QFETCH(qreal, dpr);
    QFETCH(qreal, width);
    const MenuIcon icon = MenuIcon::image(percent, false, Badge::none);
    const IconPixels px(icon.render(dpr));
    // The middle row, between the outline's sides; the bar starts at 2.5.
    const QRectF row(1.5, 10.0, 21.0, 1.0);
    QVERIFY2(std::abs(px.coverage(row) - width) <= 0.05,
             qPrintable(QString::number(px.coverage(row))));
    if (width > 0)
        QCOMPARE(px.alphaAt(2.5 + width / 2, 10.5), 1.0);
    // The outline stays at its dim opacity whatever the level.
    QCOMPARE(px.alphaAt(10.0, 17.5), std::round(dimBar * 255) / 255);
}

void TestMenuIcon::marker_data()
{
    QTest::addColumn<bool>("showNumber");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QPointF>("apex"); // null: no marker
    for (const qreal dpr : {1.0, 2.0}) {
        const QByteArray s = dpr == 1.0 ? " 1x" : " 2x";
        QTest::newRow("number, 80" + s) << true << qint64(80) << dpr << QPointF(26.1, 2.3);
        QTest::newRow("bar, 80" + s) << false << qint64(80) << dpr << QPointF(17.7, 2.7);
        QTest::newRow("number, 99" + s) << true << qint64(99) << dpr << QPointF(32.18, 2.3);
        QTest::newRow("bar, 60" + s) << false << qint64(60) << dpr << QPointF(13.9, 2.7);
        QTest::newRow("number, 100: none" + s) << true << qint64(100) << dpr << QPointF();
        QTest::newRow("bar, 100: none" + s) << false << qint64(100) << dpr << QPointF();
        QTest::newRow("number, 150: none" + s) << true << qint64(150) << dpr << QPointF();
    }
}

void TestMenuIcon::marker()
{
    QFETCH(bool, showNumber);
    QFETCH(qint64, limit);
    QFETCH(qreal, dpr);
    QFETCH(QPointF, apex);
    const IconPixels px(MenuIcon::image(57, showNumber, Badge::none, limit).render(dpr));
    // Below the outline's lowest edge (2.6 with the number) there is only the marker.
    const QRectF below(0, 0, 36.1, 2.5);
    if (apex.isNull()) {
        QCOMPARE(px.maxAlpha(below), 0.0);
        return;
    }
    // A symmetric triangle: its ink is centred on the apex.
    qreal sum = 0, weighted = 0;
    px.forEach(below, [&](qreal x, qreal, qreal a) {
        sum += a;
        weighted += a * x;
    });
    QVERIFY2(std::abs(weighted / sum - apex.x()) <= 0.05,
             qPrintable(QString::number(weighted / sum)));
    // The base spans 4.4 points at y = 0.2; the width halfway up the band
    // 1…2 then gives the apex height.
    const qreal w = px.coverage(QRectF(0, 1.0, 36.1, 1.0));
    const qreal apexY = (6.6 - 0.2 * w) / (4.4 - w);
    QVERIFY2(std::abs(apexY - apex.y()) <= 0.05, qPrintable(QString::number(apexY)));
    QCOMPARE(px.maxAlpha(QRectF(0, 0, 36.1, 0.2)), 0.0);
}

void TestMenuIcon::digits_data()
{
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<qreal>("points");
    for (const qreal dpr : {1.0, 2.0}) {
        const QByteArray s = dpr == 1.0 ? " 1x" : " 2x";
        QTest::newRow("99" + s) << qint64(99) << dpr << 11.5;
        QTest::newRow("100" + s) << qint64(100) << dpr << 9.3;
        QTest::newRow("120" + s) << qint64(120) << dpr << 9.3;
        QTest::newRow("-5" + s) << qint64(-5) << dpr << 11.5;
        QTest::newRow("8" + s) << qint64(8) << dpr << 11.5;
    }
}

void TestMenuIcon::digits()
{
    QFETCH(qint64, percent);
    QFETCH(qreal, dpr);
    QFETCH(qreal, points);
    // Inside the outline's inner edge.
    const QRectF inside(1.6, 4.6, 29.8, 11.8);
    const IconPixels px(MenuIcon::image(percent, true, Badge::none).render(dpr));
    const QRectF ink = px.inkBox(inside);
    QVERIFY(!ink.isEmpty());
    // Digits are about three quarters of the font size high, whatever the font:
    // 11.5 and 9.3 points lie 24 % apart.
    const qreal ratio = ink.height() / points;
    const qreal slack = 0.5 / dpr / points;
    QVERIFY2(ratio > 0.68 - slack && ratio < 0.80 + slack, qPrintable(QString::number(ratio)));
    if (percent < 0) {
        // "-5": a minus sign before the digit, wider than the digit alone.
        const IconPixels five(MenuIcon::image(5, true, Badge::none).render(dpr));
        QVERIFY(ink.width() > five.inkBox(inside).width() + 2.0);
        QCOMPARE(ink.height(), five.inkBox(inside).height());
    }
    // Centred on the body. Only for digits whose ink sits in the middle of their
    // advance: a "1" has a wide left side bearing.
    if (!QString::number(percent).contains(QLatin1Char('1')))
        QVERIFY2(std::abs(ink.center().x() - 16.5) < 0.8,
                 qPrintable(QString::number(ink.center().x())));
    QVERIFY2(std::abs(ink.center().y() - 10.5) < 0.5 / dpr + 0.05,
             qPrintable(QString::number(ink.center().y())));
}

void TestMenuIcon::glyphInBar_data()
{
    QTest::addColumn<Badge>("badge");
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<bool>("hole");  // the glyph is cut out of the bar
    QTest::addColumn<bool>("solid"); // the glyph is drawn in the empty part
    for (const qreal dpr : {1.0, 2.0}) {
        const QByteArray s = dpr == 1.0 ? " 1x" : " 2x";
        for (const Badge badge : {Badge::charging, Badge::plugged}) {
            const QByteArray b = badge == Badge::charging ? "bolt " : "plug ";
            QTest::newRow(b + "0" + s) << badge << qint64(0) << dpr << false << true;
            QTest::newRow(b + "50" + s) << badge << qint64(50) << dpr << true << true;
            QTest::newRow(b + "100" + s) << badge << qint64(100) << dpr << true << false;
        }
    }
}

void TestMenuIcon::glyphInBar()
{
    QFETCH(Badge, badge);
    QFETCH(qint64, percent);
    QFETCH(qreal, dpr);
    QFETCH(bool, hole);
    QFETCH(bool, solid);
    const QImage plain = MenuIcon::image(percent, false, Badge::none).render(dpr);
    const QImage marked = MenuIcon::image(percent, false, badge).render(dpr);
    const IconPixels a(plain), b(marked);
    const qreal barEnd = 2.5 + std::clamp<qint64>(percent, 0, 100) / 100.0 * 19.0;
    const QRectF inner(2.5, 5.5, 19.0, 10.0);
    int cut = 0, drawn = 0, outside = 0, wrongWay = 0;
    a.forEach(QRectF(0, 0, 27.1, 18.0), [&](qreal x, qreal y, qreal before) {
        const qreal after = b.alphaAt(x, y);
        if (std::abs(after - before) < 0.02)
            return;
        if (!inner.adjusted(-0.5 / dpr, -0.5 / dpr, 0.5 / dpr, 0.5 / dpr).contains(x, y))
            ++outside;
        const bool inBar = x < barEnd - 0.5 / dpr;
        const bool inEmpty = x > barEnd + 0.5 / dpr;
        if ((inBar && after > before) || (inEmpty && after < before))
            ++wrongWay;
        if (inBar && after < before - 0.5)
            ++cut;
        if (inEmpty && after > before + 0.5)
            ++drawn;
    });
    QCOMPARE(outside, 0);
    QCOMPARE(wrongWay, 0);
    QCOMPARE(cut > 0, hole);
    QCOMPARE(drawn > 0, solid);
}

void TestMenuIcon::glyphBesideDigits_data()
{
    QTest::addColumn<Badge>("badge");
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("bolt 1x") << Badge::charging << 1.0;
    QTest::newRow("bolt 2x") << Badge::charging << 2.0;
    QTest::newRow("plug 1x") << Badge::plugged << 1.0;
    QTest::newRow("plug 2x") << Badge::plugged << 2.0;
}

void TestMenuIcon::glyphBesideDigits()
{
    QFETCH(Badge, badge);
    QFETCH(qreal, dpr);
    const QRectF inside(1.6, 4.6, 29.8, 11.8);
    const QRectF digits =
        IconPixels(MenuIcon::image(80, true, Badge::none).render(dpr)).inkBox(inside);
    const QRectF pair = IconPixels(MenuIcon::image(80, true, badge).render(dpr)).inkBox(inside);
    // The glyph (about 5 points wide) follows the digits after a gap; the pair
    // is centred on the body, so the digits move left by half of that.
    const qreal added = pair.width() - digits.width();
    QVERIFY2(added > 4.5 && added < 7.5, qPrintable(QString::number(added)));
    QVERIFY2(std::abs(pair.center().x() - 16.5) < 0.8,
             qPrintable(QString::number(pair.center().x())));
    QVERIFY(pair.left() < digits.left() - 1.5);
}

void TestMenuIcon::tint_data()
{
    QTest::addColumn<QColor>("tint");
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("white panel text 1x") << QColor(Qt::white) << 1.0;
    QTest::newRow("white panel text 2x") << QColor(Qt::white) << 2.0;
    QTest::newRow("dark panel text 2x") << QColor(0x23, 0x26, 0x27) << 2.0;
}

void TestMenuIcon::tint()
{
    QFETCH(QColor, tint);
    QFETCH(qreal, dpr);
    const MenuIcon icon = MenuIcon::image(37, true, Badge::charging, 80);
    const QImage plain = icon.render(dpr).convertToFormat(QImage::Format_ARGB32);
    const QImage tinted = icon.render(dpr, tint).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(tinted.size(), plain.size());
    QCOMPARE(tinted.devicePixelRatio(), dpr);
    int mismatches = 0;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb p = plain.pixel(x, y), t = tinted.pixel(x, y);
            if (std::abs(qAlpha(p) - qAlpha(t)) > 1)
                ++mismatches;
            // Colour is only meaningful where there is enough of it.
            if (qAlpha(t) > 64 &&
                (std::abs(qRed(t) - tint.red()) > 4 || std::abs(qGreen(t) - tint.green()) > 4 ||
                 std::abs(qBlue(t) - tint.blue()) > 4))
                ++mismatches;
        }
    }
    QCOMPARE(mismatches, 0);
}

void TestMenuIcon::slotPicture_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<bool>("number");
    for (const int side : ButtonImage::slotPixels())
        for (const bool number : {true, false})
            QTest::addRow("%d px %s", side, number ? "number" : "bar") << side << number;
}

// Each slot gets a square picture whose battery spans its width.
void TestMenuIcon::slotPicture()
{
    QFETCH(int, side);
    QFETCH(bool, number);
    const MenuIcon icon = MenuIcon::image(57, number, Badge::none, 80);
    const QImage image = icon.renderSlot(side);
    QCOMPARE(image.size(), QSize(side, side));
    const IconPixels px(image);
    const QRectF ink = px.inkBox(QRectF(0, 0, side, side), 0.2);
    QVERIFY2(ink.width() >= side * 0.9, qPrintable(QString::number(ink.width())));
    // Nothing is cut at the edges: the outermost rows and columns stay empty
    // but for antialiasing.
    QVERIFY(px.maxAlpha(QRectF(0, side - 0.5, side, 0.5)) < 0.5);
    QVERIFY(px.maxAlpha(QRectF(0, 0, side, 0.5)) < 0.5);
}

void TestMenuIcon::slotDigits_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<Badge>("badge");
    QTest::addColumn<qreal>("minimum"); // digit height in pixels
    for (const Badge badge : {Badge::none, Badge::charging, Badge::plugged}) {
        const char *name = badge == Badge::none       ? "alone"
                           : badge == Badge::charging ? "charging"
                                                      : "plugged";
        QTest::addRow("22 px 80 %s", name) << 22 << qint64(80) << badge << 8.0;
        QTest::addRow("44 px 80 %s", name) << 44 << qint64(80) << badge << 16.0;
        QTest::addRow("16 px 80 %s", name) << 16 << qint64(80) << badge << 5.5;
        QTest::addRow("32 px 45 %s", name) << 32 << qint64(45) << badge << 11.5;
    }
    QTest::addRow("22 px 100") << 22 << qint64(100) << Badge::plugged << 5.0;
}

// The digits are as tall as the body allows, with or without a badge.
void TestMenuIcon::slotDigits()
{
    QFETCH(int, side);
    QFETCH(qint64, percent);
    QFETCH(Badge, badge);
    QFETCH(qreal, minimum);
    const MenuIconFrame f = MenuIconFrame::slot(true, side);
    const IconPixels px(MenuIcon::image(percent, true, badge, 100).renderSlot(side));
    // Inside the outline, left of where a badge may sit.
    const QRectF inside = f.body.adjusted(f.lineWidth + 0.3, f.lineWidth + 0.3,
                                          -(f.body.width() * 0.3), -(f.lineWidth + 0.3));
    const QRectF ink = px.inkBox(inside);
    QVERIFY2(ink.height() >= minimum, qPrintable(QString::number(ink.height())));
    if (badge != Badge::none) {
        // The badge is drawn whole, above the tip, apart from the digits.
        const QRectF corner(f.body.right() - 3.0 * f.unit, f.body.top() - 1.0 * f.unit,
                            side - f.body.right() + 3.0 * f.unit, side - f.body.top() + f.unit);
        QVERIFY(px.coverage(corner) > 6.0 * f.unit * f.unit);
    }
}

void TestMenuIcon::panelScheme_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QVariantMap>("files"); // below the config folder: path → content
    QTest::addColumn<QString>("gtkTheme");  // GTK_THEME
    QTest::addColumn<PanelColour::Scheme>("portal");
    QTest::addColumn<PanelColour::Scheme>("expected");
    using S = PanelColour::Scheme;
    const QString xfce = QStringLiteral("xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml");
    const auto panel = [&](const char *dark) {
        return QVariantMap{{xfce, QByteArray(R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="dark-mode" type="bool" value=")") +
                                      dark + R"("/>
    <property name="panel-1" type="empty"><property name="size" type="uint" value="28"/></property>
  </property>
</channel>
)"}};
    };
    const auto kde = [](const char *rgb) {
        return QByteArray("[General]\nColorScheme=X\n\n[Colors:Window]\nBackgroundNormal=") + rgb +
               "\nForegroundNormal=1,2,3\n";
    };
    const auto file = [](const char *path, const QByteArray &content) {
        return QVariantMap{{QLatin1String(path), content}};
    };
    const auto lxqt = [&](const char *theme) {
        return file("lxqt/lxqt.conf", QByteArray("[General]\ntheme=") + theme + "\n");
    };
    const auto gtk = [&](const QByteArray &settings) {
        return file("gtk-3.0/settings.ini", "[Settings]\n" + settings + "\n");
    };
    const QVariantMap none;
    QTest::newRow("GNOME: always dark") << "GNOME" << none << "" << S::light << S::dark;
    QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME" << none << "" << S::unknown << S::dark;
    QTest::newRow("Xfce dark panel") << "XFCE" << panel("true") << "" << S::light << S::dark;
    QTest::newRow("Xfce light panel") << "XFCE" << panel("false") << "" << S::dark << S::light;
    QTest::newRow("no desktop named, Xfce panel")
        << "" << panel("false") << "" << S::unknown << S::light;
    QTest::newRow("Xfce without the setting: portal")
        << "XFCE" << file(qPrintable(xfce), "<channel/>") << "" << S::dark << S::dark;
    QTest::newRow("broken Xfce file: portal")
        << "XFCE" << file(qPrintable(xfce), "<channel><property name=") << "" << S::light
        << S::light;
    QTest::newRow("Plasma, Breeze Dark")
        << "KDE" << file("kdeglobals", kde("32,35,38")) << "" << S::unknown << S::dark;
    QTest::newRow("Plasma, Breeze")
        << "KDE" << file("kdeglobals", kde("239,240,241")) << "" << S::dark << S::light;
    // Breeze Twilight: light colours, the dark panel style.
    QVariantMap twilight = file("kdeglobals", kde("239,240,241"));
    twilight.insert(QStringLiteral("plasmarc"), QByteArray("[Theme]\nname=breeze-dark\n"));
    QTest::newRow("Plasma, Breeze Twilight") << "KDE" << twilight << "" << S::light << S::dark;
    QTest::newRow("Plasma, default style: colours")
        << "KDE"
        << QVariantMap{{"kdeglobals", kde("239,240,241")},
                       {"plasmarc", QByteArray("[Theme]\nname=default\n")}}
        << "" << S::dark << S::light;
    QTest::newRow("Plasma, no colours: portal")
        << "KDE" << file("kdeglobals", "[General]\n") << "" << S::dark << S::dark;
    QTest::newRow("LXQt, dark") << "LXQt" << lxqt("dark") << "" << S::light << S::dark;
    QTest::newRow("LXQt, Clearlooks") << "LXQt" << lxqt("Clearlooks") << "" << S::dark << S::light;
    QTest::newRow("LXQt, a theme not known: portal")
        << "LXQt" << lxqt("someone-elses") << "" << S::light << S::light;
    QTest::newRow("other desktop ignores Xfce's file: portal")
        << "LXQt" << panel("true") << "" << S::light << S::light;
    QTest::newRow("MATE, GTK theme ending -dark")
        << "MATE" << gtk("gtk-theme-name=Adwaita-dark") << "" << S::unknown << S::dark;
    QTest::newRow("MATE, GTK prefers dark")
        << "MATE" << gtk("gtk-theme-name=Adwaita\ngtk-application-prefer-dark-theme=1") << ""
        << S::unknown << S::dark;
    QTest::newRow("MATE, GTK_THEME Adwaita:dark")
        << "MATE" << none << "Adwaita:dark" << S::unknown << S::dark;
    QTest::newRow("MATE, light GTK theme: portal")
        << "MATE" << gtk("gtk-theme-name=Menta") << "" << S::unknown << S::unknown;
    QTest::newRow("nothing known") << "LXQt" << none << "" << S::unknown << S::unknown;
}

void TestMenuIcon::panelScheme()
{
    QFETCH(QString, desktop);
    QFETCH(QVariantMap, files);
    QFETCH(QString, gtkTheme);
    QFETCH(PanelColour::Scheme, portal);
    QFETCH(PanelColour::Scheme, expected);
    QTemporaryDir home;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString path = home.filePath(it.key());
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(it.value().toByteArray());
    }
    PanelColour::Session session;
    session.currentDesktop = desktop;
    session.configDirs = {home.path(), home.filePath(QStringLiteral("nowhere"))};
    session.portal = portal;
    session.gtkTheme = gtkTheme;
    QCOMPARE(PanelColour::schemeFor(session), expected);
}

void TestMenuIcon::iconColour_data()
{
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<PanelColour::Scheme>("scheme");
    QTest::addColumn<bool>("light");
    QTest::addColumn<bool>("outlined");
    using S = PanelColour::Scheme;
    QTest::newRow("automatic, dark panel") << qint64(0) << S::dark << true << false;
    QTest::newRow("automatic, light panel") << qint64(0) << S::light << false << false;
    QTest::newRow("automatic, unknown: light, outlined") << qint64(0) << S::unknown << true << true;
    QTest::newRow("light chosen") << qint64(1) << S::light << true << false;
    QTest::newRow("dark chosen") << qint64(2) << S::dark << false << false;
    QTest::newRow("dark chosen, unknown panel") << qint64(2) << S::unknown << false << false;
    QTest::newRow("stored 9: automatic") << qint64(9) << S::dark << true << false;
}

void TestMenuIcon::iconColour()
{
    QFETCH(qint64, stored);
    QFETCH(PanelColour::Scheme, scheme);
    QFETCH(bool, light);
    QFETCH(bool, outlined);
    const PanelColour::Tint tint = PanelColour::tintFor(PanelColour::choice(stored), scheme);
    QCOMPARE(tint.fill, light ? PanelColour::light() : PanelColour::dark());
    QCOMPARE(tint.outline.isValid(), outlined);
}

// The X11 tray manager's text colour: the docked icon's own colour, and for an
// item on D-Bus a hint at the panel where the desktop says nothing.
void TestMenuIcon::trayManagerText_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QColor>("trayText"); // invalid: the tray sets none
    QTest::addColumn<bool>("docked");
    QTest::addColumn<qint64>("stored");
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<bool>("outlined");
    const QColor lightText(0xee, 0xee, 0xec), darkText(0x2e, 0x34, 0x36);
    const QColor light = PanelColour::light(), dark = PanelColour::dark();
    QTest::newRow("docked: the tray's colour")
        << "" << lightText << true << qint64(0) << lightText << false;
    QTest::newRow("docked, a colour chosen: the choice")
        << "" << lightText << true << qint64(2) << dark << false;
    QTest::newRow("on D-Bus, light text: dark panel")
        << "MATE" << lightText << false << qint64(0) << light << false;
    QTest::newRow("on D-Bus, dark text: light panel")
        << "MATE" << darkText << false << qint64(0) << dark << false;
    QTest::newRow("on D-Bus, the desktop's own word first")
        << "GNOME" << darkText << false << qint64(0) << light << false;
    QTest::newRow("no colours at all: outlined")
        << "MATE" << QColor() << true << qint64(0) << light << true;
}

void TestMenuIcon::trayManagerText()
{
    QFETCH(QString, desktop);
    QFETCH(QColor, trayText);
    QFETCH(bool, docked);
    QFETCH(qint64, stored);
    QFETCH(QColor, fill);
    QFETCH(bool, outlined);
    QTemporaryDir home;
    PanelColour::Session session;
    session.currentDesktop = desktop;
    session.configDirs = {home.path()};
    session.trayText = trayText;
    const PanelColour::Tint tint = PanelColour::tintFor(
        PanelColour::choice(stored), PanelColour::schemeFor(session), docked ? trayText : QColor());
    QCOMPARE(tint.fill.name(), fill.name());
    QCOMPARE(tint.outline.isValid(), outlined);
}

void TestMenuIcon::digitsReadableInSmallSlots_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<qint64>("percent");
    for (const int side : {16, 22})
        for (const qint64 percent : {80, 45, 8})
            QTest::addRow("%d px, %lld", side, percent) << side << percent;
}

// The digits' ink, between the outline's upper and lower edge in the body's
// middle columns, is at least 7 pixels tall.
void TestMenuIcon::digitsReadableInSmallSlots()
{
    QFETCH(int, side);
    QFETCH(qint64, percent);
    const QImage picture = MenuIcon::image(percent, true, Badge::none).renderSlot(side);
    const MenuIconFrame f = MenuIconFrame::slot(true, side);
    // Rows inside the outline: the frame is y up, the picture y down.
    const int top = int(std::ceil(side - f.body.bottom() + f.lineWidth * 0.5));
    const int bottom = int(std::floor(side - f.body.top() - f.lineWidth * 0.5)) - 1;
    int first = -1, last = -1;
    for (int y = top; y <= bottom; ++y) {
        for (int x = int(f.body.left() + f.lineWidth) + 1; x < int(f.body.right() - f.lineWidth);
             ++x) {
            if (qAlpha(picture.pixel(x, y)) > 100) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    QVERIFY(first >= 0);
    QVERIFY2(last - first + 1 >= 7, qPrintable(QString::number(last - first + 1)));
}

// Where the panel's colour is not known, the icon reads on black and on white
// at once: on either, a good part of it stands out at least 3:1.
void TestMenuIcon::unknownPanelReadsOnBlackAndWhite_data()
{
    QTest::addColumn<int>("side");
    for (const int side : {16, 22, 32})
        QTest::addRow("%d px", side) << side;
}

void TestMenuIcon::unknownPanelReadsOnBlackAndWhite()
{
    QFETCH(int, side);
    const PanelColour::Tint tint =
        PanelColour::tintFor(PanelColour::Choice::automatic, PanelColour::Scheme::unknown);
    const QImage picture =
        ButtonImage::render(MenuIcon::image(80, true, Badge::none), tint, {side}).constFirst();
    for (const QColor panel : {QColor(Qt::black), QColor(Qt::white)}) {
        const int strong = pixelsStandingOut(picture, panel);
        QVERIFY2(
            strong >= side * side / 8,
            qPrintable(QStringLiteral("%1 strong pixels on %2").arg(strong).arg(panel.name())));
    }
}

void TestMenuIcon::portalValue_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<PanelColour::Scheme>("expected");
    using S = PanelColour::Scheme;
    const auto wrapped = [](const QVariant &v) { return QVariant::fromValue(QDBusVariant(v)); };
    QTest::newRow("1 prefers dark") << QVariant(1u) << S::dark;
    QTest::newRow("2 prefers light") << QVariant(2u) << S::light;
    QTest::newRow("0 no preference") << QVariant(0u) << S::unknown;
    QTest::newRow("variant in a variant") << wrapped(wrapped(QVariant(1u))) << S::dark;
    QTest::newRow("a text") << QVariant(QStringLiteral("dark")) << S::unknown;
    QTest::newRow("7") << QVariant(7u) << S::unknown;
}

void TestMenuIcon::portalValue()
{
    QFETCH(QVariant, value);
    QFETCH(PanelColour::Scheme, expected);
    QCOMPARE(PortalColorScheme::fromValue(value), expected);
}

// Renderings at every slot size of each style and badge, for a person to look
// at: one PNG each (transparent, black template) and a sheet on a light and a
// dark panel, enlarged without smoothing so single pixels show.
void TestMenuIcon::writeRenderings()
{
    const QString out = qEnvironmentVariable("VOLTQUILL_ICON_OUT");
    if (out.isEmpty())
        QSKIP("VOLTQUILL_ICON_OUT not set");
    QVERIFY(QDir().mkpath(out));
    struct Case {
        const char *name;
        qint64 style;
        Badge badge;
        qint64 percent;
    };
    const QList<Case> cases{
        {"style0-none", 0, Badge::none, 57},        {"style0-charging", 0, Badge::charging, 45},
        {"style0-plugged", 0, Badge::plugged, 100}, {"style0-plugged80", 0, Badge::plugged, 80},
        {"style1-none", 1, Badge::none, 57},        {"style1-charging", 1, Badge::charging, 45},
        {"style1-plugged", 1, Badge::plugged, 80},
    };
    const QList<int> &sides = ButtonImage::slotPixels();
    const int scale = 3, rowHeight = 64 * scale + 12;
    int width = 8;
    for (const int side : sides)
        width += side * scale + 8;
    QImage sheet(2 * width, cases.size() * rowHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::transparent);
    QPainter painter(&sheet);
    painter.fillRect(0, 0, width, sheet.height(), QColor(0xf0, 0xf0, 0xf0));
    painter.fillRect(width, 0, width, sheet.height(), QColor(0x33, 0x33, 0x33));
    for (int i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        const MenuIcon icon = MenuIcon::image(c.percent, c.style == 0, c.badge, 80);
        int x = 8;
        for (const int side : sides) {
            const QImage image = icon.renderSlot(side);
            QVERIFY(image.save(
                QStringLiteral("%1/%2-%3.png").arg(out, QLatin1String(c.name)).arg(side)));
            for (const auto &[offset, tint] :
                 {std::pair{0, PanelColour::dark()}, std::pair{width, PanelColour::light()}}) {
                const QImage big =
                    MenuIcon::tinted(image, tint)
                        .scaled(image.size() * scale, Qt::KeepAspectRatio, Qt::FastTransformation);
                painter.drawImage(offset + x, i * rowHeight + 6, big);
            }
            x += side * scale + 8;
        }
    }
    painter.end();
    QVERIFY(sheet.save(out + QStringLiteral("/sheet.png")));
}

QTEST_MAIN(TestMenuIcon)
#include "tst_menuicon.moc"
