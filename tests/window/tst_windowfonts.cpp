// SPDX-License-Identifier: GPL-3.0-or-later
// The window at the fonts desktops ship (9 to 11 points, wide faces) and a large
// one (14 points), with and
// without an icon theme: every text fits its control, the tab strip needs no
// scroll arrows. With VOLTQUILL_GALLERY_OUT set, each tab is also saved there.
#include "WindowRig.h"
#include "settings/Key.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QTabBar>
#include <QToolButton>
#include <QTreeWidget>

namespace
{
QString describe(const QWidget *w, const QString &text)
{
    return QStringLiteral("%1 \"%2\" (%3)")
        .arg(QLatin1String(w->metaObject()->className()), text.left(40), w->objectName());
}

// Texts that do not fit the control showing them.
QStringList cutTexts(QWidget *root)
{
    QStringList cut;
    QList<QWidget *> all = root->findChildren<QWidget *>();
    all.prepend(root);
    for (QWidget *w : all) {
        if ((w != root && !w->isVisibleTo(root)) || w->width() <= 0)
            continue;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            if (label->text().isEmpty())
                continue;
            const bool fits = label->wordWrap()
                                  ? label->heightForWidth(label->width()) <= label->height() + 1
                                  : label->sizeHint().width() <= label->width() + 1 &&
                                        label->sizeHint().height() <= label->height() + 1;
            if (!fits)
                cut << describe(w, label->text());
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            if (button->text().isEmpty() || qobject_cast<QTabBar *>(w->parentWidget()))
                continue;
            if (button->sizeHint().width() > button->width() + 1)
                cut << describe(w, button->text());
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            if (combo->sizeHint().width() > combo->width() + 1)
                cut << describe(w, combo->currentText());
        } else if (auto *tree = qobject_cast<QTreeWidget *>(w)) {
            for (int i = 0; i < tree->topLevelItemCount(); ++i) {
                const QTreeWidgetItem *item = tree->topLevelItem(i);
                for (int c = 0; c < tree->columnCount(); ++c) {
                    const int needed =
                        QFontMetrics(item->font(c)).horizontalAdvance(item->text(c)) + 6;
                    if (tree->header()->sectionSize(c) < needed)
                        cut << describe(w, item->text(c));
                }
            }
        } else if (auto *bar = qobject_cast<QTabBar *>(w)) {
            for (QToolButton *arrow : bar->findChildren<QToolButton *>())
                if (arrow->isVisibleTo(bar))
                    cut << describe(w, QStringLiteral("scroll arrows"));
            for (int i = 0; i < bar->count(); ++i) {
                const QRect r = bar->tabRect(i);
                // Symbol above text, or beside it.
                const QFontMetrics fm = bar->fontMetrics();
                const int text = fm.horizontalAdvance(bar->tabText(i));
                const QSize icon = bar->iconSize();
                const bool above = r.width() >= std::max(text, icon.width()) + 4 &&
                                   r.height() >= icon.height() + fm.height();
                const bool beside = r.width() >= text + icon.width() + 8;
                if (r.right() >= bar->width() || !(above || beside))
                    cut << describe(w, bar->tabText(i));
            }
        }
    }
    return cut;
}
} // namespace

class TestWindowFonts : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        useTemporaryHome();
        m_defaultTheme = QIcon::themeName();
        Prefs::d().setBool(Key::scheduleOn, true);
        QList<MonthSample> samples;
        for (int m = 1; m <= 12; ++m)
            samples.append({2025, m, 99 - (m * 2) / 3, 1195 + m * 9});
        writeHistoryFile(samples);
        m_out = qEnvironmentVariable("VOLTQUILL_GALLERY_OUT");
        if (!m_out.isEmpty())
            QVERIFY(QDir().mkpath(m_out));
    }
    void cleanupTestCase() { QApplication::setFont(QFont()); }

    void everyTextFits_data()
    {
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("iconTheme");
        for (const qreal points : {9.0, 10.0, 11.0, 14.0})
            for (const bool theme : {false, true})
                QTest::addRow("%g pt, %s", points, theme ? "icon theme" : "no icon theme")
                    << points << theme;
    }
    void everyTextFits()
    {
        QFETCH(qreal, points);
        QFETCH(bool, iconTheme);
        if (iconTheme) {
            QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        } else {
            QIcon::setThemeSearchPaths({});
            QIcon::setThemeName(QString());
        }
        // A wide face, as desktop defaults are.
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(points);
        QApplication::setFont(font);
        WindowRig rig(
            {.battery = batteryReading(72, true, true, 1187, 4382, 4123, 301, 96), .limit = 80});
        rig.clock.at = QDateTime(QDate(2026, 1, 12), QTime(18, 30));
        for (int index = 0; index < 5; ++index) {
            QWidget *tab = rig.open<QWidget>(index);
            // A tab built on first show lays itself out in the next rounds.
            QTest::qWait(50);
            QTabWidget *tabs = rig.window->view()->tabs();
            QVERIFY2(!tabs->tabIcon(index).isNull(), "every tab has its symbol");
            if (!m_out.isEmpty() && iconTheme) {
                const QImage image = rig.window->view()->grab().toImage();
                QVERIFY(image.save(QStringLiteral("%1/fenster-%2pt-%3.png")
                                       .arg(m_out)
                                       .arg(points)
                                       .arg(index + 1)));
            }
            if (index == 0)
                qInfo("window at %g pt: %dx%d", points, rig.window->view()->width(),
                      rig.window->view()->height());
            QStringList cut = cutTexts(tab);
            cut << cutTexts(tabs->tabBar());
            QVERIFY2(cut.isEmpty(),
                     qPrintable(
                         QStringLiteral("tab %1: %2").arg(tabs->tabText(index), cut.join(u", "))));
        }
    }

private:
    QString m_defaultTheme;
    QString m_out;
};

QTEST_MAIN(TestWindowFonts)
#include "tst_windowfonts.moc"
