// SPDX-License-Identifier: GPL-3.0-or-later
// Contrast measured on the drawn window, in the light palette and a dark one:
// every text at least 4.5:1 against the background it is drawn on, the
// chart's line and the focus rings at least 3:1. Each measurement reads a
// grab of the real tab: the background is the commonest colour in a text's
// box, the text the pixel farthest from it in luminance (a glyph's core).
#include "WindowRig.h"
#include "settings/Key.h"
#include "window/Contrast.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGraphicsView>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QTabBar>
#include <QTreeWidget>

namespace
{
QPalette darkPalette()
{
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2b);
    const QColor text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x1f, 0x1f, 0x1f));
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    p.setColor(QPalette::HighlightedText, QColor(0xfc, 0xfc, 0xfc));
    p.setColor(QPalette::PlaceholderText, QColor(0x6e, 0x6e, 0x6e));
    p.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4a));
    p.setColor(QPalette::Midlight, QColor(0x40, 0x40, 0x40));
    p.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x30));
    p.setColor(QPalette::Dark, QColor(0x20, 0x20, 0x20));
    p.setColor(QPalette::Shadow, QColor(0x10, 0x10, 0x10));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

struct Measured {
    QColor background;
    QColor ink;
    double ratio = 0;
};

Measured measure(const QImage &image, const QRect &box)
{
    QHash<QRgb, int> counts;
    const QRect r = box.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[image.pixel(x, y)];
    Measured m;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            m.background = QColor(it.key());
        }
    m.ink = m.background;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const double ratio = Contrast::ratio(QColor(it.key()), m.background);
        if (ratio > m.ratio) {
            m.ratio = ratio;
            m.ink = QColor(it.key());
        }
    }
    return m;
}

QString report(const QString &what, const Measured &m)
{
    return QStringLiteral("%1: %2 on %3 is %4:1")
        .arg(what, m.ink.name(), m.background.name())
        .arg(m.ratio, 0, 'f', 2);
}

QRect boxIn(const QWidget *w, const QWidget *root, const QRect &inner)
{
    return QRect(w->mapTo(root, inner.topLeft()), inner.size());
}

// The commonest strongly coloured pixel: a chart's line and points.
std::optional<QColor> commonestColour(const QImage &image, const QRect &box)
{
    QHash<QRgb, int> counts;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            if (const QColor c(image.pixel(x, y)); c.hsvSaturation() > 80 && c.value() > 40)
                ++counts[c.rgb()];
    std::optional<QColor> best;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            best = QColor(it.key());
        }
    return best;
}
} // namespace

class TestWindowContrast : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        useTemporaryHome();
        m_light = QApplication::palette();
        Prefs::d().setBool(Key::scheduleOn, true);
        QList<MonthSample> year;
        for (int m = 1; m <= 12; ++m)
            year.append({2025, m, 99 - m, 40 + m * 9});
        writeHistoryFile(year);
    }
    void cleanup() { QApplication::setPalette(m_light); }

    void everyText_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("dark");
        const char *names[] = {"Laden", "Zeitplan", "Mitteilungen", "Verlauf", "Allgemein"};
        for (const bool dark : {false, true})
            for (int i = 0; i < 5; ++i)
                QTest::addRow("%s, %s", names[i], dark ? "dunkel" : "hell") << i << dark;
    }
    void everyText()
    {
        QFETCH(int, index);
        QFETCH(bool, dark);
        if (dark)
            QApplication::setPalette(darkPalette());
        WindowRig rig({.limit = 80});
        rig.clock.at = QDateTime(QDate(2026, 1, 12), QTime(18, 30));
        QWidget *tab = rig.open<QWidget>(index);
        QTest::qWait(20);
        SettingsView *view = rig.window->view();
        const QImage image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(qFuzzyCompare(image.devicePixelRatio(), 1.0));

        QStringList weak;
        int measured = 0;
        std::optional<std::pair<QString, Measured>> weakest;
        const auto check = [&](const QString &what, const QRect &box, double minimum) {
            const Measured m = measure(image, box);
            ++measured;
            if (!weakest || m.ratio < weakest->second.ratio)
                weakest = {what, m};
            if (m.ratio < minimum)
                weak << report(what, m);
        };
        for (QLabel *label : tab->findChildren<QLabel *>()) {
            // Disabled controls are exempt, as WCAG has it.
            if (!label->isVisible() || label->text().isEmpty() || !label->isEnabled())
                continue;
            check(label->text().left(30), boxIn(label, view, label->contentsRect()),
                  Contrast::text);
        }
        for (QAbstractButton *button : tab->findChildren<QAbstractButton *>())
            if (button->isVisible() && button->isEnabled() && !button->text().isEmpty())
                check(button->text().left(30), boxIn(button, view, button->rect()), Contrast::text);
        for (QTreeWidget *list : tab->findChildren<QTreeWidget *>())
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                for (int column = 0; column < list->columnCount(); ++column) {
                    QTreeWidgetItem *item = list->topLevelItem(row);
                    const QRect cell = list->visualItemRect(item);
                    const int left = list->header()->sectionViewportPosition(column);
                    const QRect box(left, cell.top(), list->header()->sectionSize(column),
                                    cell.height());
                    if (box.intersects(list->viewport()->rect()))
                        check(item->text(column),
                              boxIn(list->viewport(), view,
                                    box.intersected(list->viewport()->rect())),
                              Contrast::text);
                }
        QTabBar *strip = view->tabs()->tabBar();
        for (int i = 0; i < strip->count(); ++i)
            check(strip->tabText(i), boxIn(strip, view, strip->tabRect(i).adjusted(2, 2, -2, -2)),
                  Contrast::text);
        QVERIFY(measured > 5);
        qInfo("weakest of %d texts: %s", measured,
              qPrintable(report(weakest->first, weakest->second)));
        QVERIFY2(weak.isEmpty(), qPrintable(weak.join(u"; ")));
    }

    void chartLine_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("hell") << false;
        QTest::newRow("dunkel") << true;
    }
    void chartLine()
    {
        QFETCH(bool, dark);
        if (dark)
            QApplication::setPalette(darkPalette());
        WindowRig rig;
        QWidget *tab = rig.open<QWidget>(SettingsView::History);
        QTest::qWait(20);
        auto *chart = tab->findChild<QGraphicsView *>(QStringLiteral("historyChart"));
        QVERIFY2(chart, "the chart plugin is loaded");
        const QImage image = chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const Measured page = measure(image, image.rect());
        const std::optional<QColor> line = commonestColour(image, image.rect());
        QVERIFY(line);
        const double ratio = Contrast::ratio(*line, page.background);
        QVERIFY2(ratio >= Contrast::graphics,
                 qPrintable(QStringLiteral("%1 on %2: %3:1")
                                .arg(line->name(), page.background.name())
                                .arg(ratio, 0, 'f', 2)));
    }

    void focusRings_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::addColumn<int>("index");
        QTest::addColumn<quint64>("limit");
        QTest::addColumn<QString>("target"); // what takes the focus; "tabs": the strip
        for (const bool dark : {false, true}) {
            const char *p = dark ? "dunkel" : "hell";
            QTest::addRow("selected segment, %s", p) << dark << 0 << quint64(80) << "segment_80";
            QTest::addRow("segment, nothing picked, %s", p)
                << dark << 0 << quint64(83) << "segment_80";
            QTest::addRow("button, %s", p) << dark << 0 << quint64(80) << "chargeFullOnce";
            QTest::addRow("tab strip, %s", p) << dark << 0 << quint64(80) << "tabs";
            QTest::addRow("switch, %s", p) << dark << 2 << quint64(80) << Key::notifyLow;
            QTest::addRow("stepper, %s", p) << dark << 2 << quint64(80) << Key::lowThreshold;
            QTest::addRow("list, %s", p) << dark << 3 << quint64(80) << "historyList";
            QTest::addRow("choice, %s", p) << dark << 4 << quint64(80) << "iconStyle";
        }
    }
    void focusRings()
    {
        QFETCH(bool, dark);
        QFETCH(int, index);
        QFETCH(quint64, limit);
        QFETCH(QString, target);
        if (dark)
            QApplication::setPalette(darkPalette());
        WindowRig rig({.limit = limit});
        QWidget *tab = rig.open<QWidget>(index);
        QTest::qWait(20);
        SettingsView *view = rig.window->view();
        QTabBar *strip = view->tabs()->tabBar();
        QWidget *w = target == QLatin1String("tabs") ? strip : tab->findChild<QWidget *>(target);
        QVERIFY(w);
        // From a control elsewhere, so the frame is what changes; then by Tab,
        // as styles draw focus frames only after the keyboard moved the focus.
        if (w == strip)
            view->findChild<QWidget *>(QStringLiteral("chargeFullOnce"))->setFocus();
        else
            strip->setFocus();
        const QRect around(w->mapTo(view, QPoint(-4, -4)), w->size() + QSize(8, 8));
        const QImage before = view->grab(around).toImage().convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < 30 && QApplication::focusWidget() != w; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(w->hasFocus());
        const QImage after = view->grab(around).toImage().convertToFormat(QImage::Format_RGB32);

        // The frame: the commonest colour among the pixels the focus changed,
        // against what was there before it, where it is drawn.
        QHash<QRgb, int> changed;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                if (after.pixel(x, y) != before.pixel(x, y))
                    ++changed[after.pixel(x, y)];
        QVERIFY2(!changed.isEmpty(), "a visible focus frame");
        const QRgb frame = std::max_element(changed.cbegin(), changed.cend()).key();
        QList<double> ratios;
        for (int y = 0; y < after.height(); ++y)
            for (int x = 0; x < after.width(); ++x)
                if (after.pixel(x, y) == frame && before.pixel(x, y) != frame)
                    ratios << Contrast::ratio(QColor(frame), QColor(before.pixel(x, y)));
        QVERIFY2(ratios.size() > 20, "a frame, not a dot");
        std::sort(ratios.begin(), ratios.end());
        const double typical = ratios.at(ratios.size() / 2);
        QVERIFY2(typical >= Contrast::graphics,
                 qPrintable(QStringLiteral("%1: %2:1 against what it covers")
                                .arg(QColor(frame).name())
                                .arg(typical, 0, 'f', 2)));
    }

private:
    QPalette m_light;
};

QTEST_MAIN(TestWindowContrast)
#include "tst_windowcontrast.moc"
