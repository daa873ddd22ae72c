// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"
#include "window/ChargeTab.h"

#include <QApplication>
#include <QTabBar>

// The window itself: made once, hidden when closed, and its tab strip.
class TestSettingsWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTemporaryHome(); }
    void init() { Prefs::d().clear(); }

    void nothingExistsBeforeTheFirstShow()
    {
        WindowRig rig;
        QVERIFY(!rig.window->view());
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void firstShowOpensTheWindowOnTheChargeTab()
    {
        WindowRig rig;
        rig.window->showWindow();
        SettingsView *view = rig.window->view();
        QVERIFY(view);
        QVERIFY(QTest::qWaitForWindowExposed(view));
        QCOMPARE(view->windowTitle(), QStringLiteral("Voltquill – Einstellungen"));
        QCOMPARE(view->size(), QSize(520, 600));
        QCOMPARE(view->minimumSize(), QSize(520, 600));
        QCOMPARE(view->maximumSize(), QSize(520, 600));
        const Qt::WindowFlags flags = view->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(view->tabs()->currentIndex(), int(SettingsView::Charge));
        // 16 px of padding around the tabs.
        QCOMPARE(view->tabs()->geometry(), QRect(16, 16, 488, 568));
    }

    void growsWithALargeFontAndStaysFixed()
    {
        const QFont normal = QApplication::font();
        QFont large(QStringLiteral("DejaVu Sans"));
        large.setPointSizeF(14);
        QApplication::setFont(large);
        WindowRig rig;
        rig.window->showWindow();
        SettingsView *view = rig.window->view();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        const QSize size = view->size();
        QApplication::setFont(normal);
        // Wider and taller than at the desktop's usual sizes, and still not
        // resizable by hand.
        QVERIFY2(size.width() > 520 && size.height() > 600,
                 qPrintable(QStringLiteral("%1 × %2").arg(size.width()).arg(size.height())));
        QCOMPARE(view->minimumSize(), size);
        QCOMPARE(view->maximumSize(), size);
        // Every tab in the strip, none behind scroll arrows.
        const QTabBar *strip = view->tabs()->tabBar();
        QVERIFY(!strip->usesScrollButtons());
        QVERIFY(strip->tabRect(strip->count() - 1).right() < strip->width());
    }

    void tabsInTheirOrder()
    {
        WindowRig rig;
        rig.window->showWindow();
        const QTabWidget *tabs = rig.window->view()->tabs();
        const QStringList labels{QStringLiteral("Laden"), QStringLiteral("Zeitplan"),
                                 QStringLiteral("Mitteilungen"), QStringLiteral("Verlauf"),
                                 QStringLiteral("Allgemein")};
        QCOMPARE(tabs->count(), labels.size());
        for (int i = 0; i < labels.size(); ++i)
            QCOMPARE(tabs->tabText(i), labels.at(i));
    }

    // Iconified, or hidden behind others: a second start or "Einstellungen …"
    // brings the same window back, not minimised and visible.
    void showingAgainBringsBackAMinimisedWindow()
    {
        WindowRig rig;
        rig.window->showWindow();
        SettingsView *view = rig.window->view();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        view->setWindowState(view->windowState() | Qt::WindowMinimized);
        QTRY_VERIFY(view->isMinimized());
        rig.window->showWindow();
        QCOMPARE(rig.window->view(), view);
        QTRY_VERIFY(!view->isMinimized());
        QVERIFY(view->isVisible());
    }

    void showingAgainKeepsTheWindowAndRefreshes()
    {
        WindowRig rig;
        rig.window->showWindow();
        SettingsView *first = rig.window->view();
        QVERIFY(QTest::qWaitForWindowExposed(first));

        // The service changed the limit behind the agent's back.
        rig.client->limit = 90;
        const int reads = rig.client->sent.count(QStringLiteral("getMCLLimit"));
        rig.window->showWindow();
        QCOMPARE(rig.window->view(), first);
        QVERIFY(rig.client->sent.count(QStringLiteral("getMCLLimit")) > reads);
        QCOMPARE(rig.state->limit(), 90);
        int views = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            views += qobject_cast<SettingsView *>(w) != nullptr;
        QCOMPARE(views, 1);
    }

    void closingHidesAndReopeningKeepsTheTab()
    {
        WindowRig rig;
        rig.window->showWindow();
        SettingsView *view = rig.window->view();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        view->tabs()->setCurrentIndex(SettingsView::History);
        QVERIFY(view->close());
        QVERIFY(!view->isVisible());
        QCOMPARE(rig.window->view(), view);

        rig.client->limit = 85;
        rig.window->showWindow();
        QVERIFY(view->isVisible());
        QCOMPARE(view->tabs()->currentIndex(), int(SettingsView::History));
        QCOMPARE(rig.state->limit(), 85);
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
