// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"
#include "settings/Key.h"

#include <QDir>
#include <QIcon>
#include <QImage>

// Renders every tab in a realistic state to PNG files under the build folder
// (screenshots/), as evidence a person can look at: a battery at 72 % charging
// to a limit of 80, the schedule on, a year of history.
class TestWindowScreenshots : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        useTemporaryHome();
        // The offscreen platform knows no icon theme; a desktop's would be used.
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor")) {
            QIcon::setThemeSearchPaths(QIcon::themeSearchPaths()
                                       << QStringLiteral("/usr/share/icons"));
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        }
        Prefs::d().setBool(Key::scheduleOn, true);
        Prefs::d().setInteger(Key::scheduleDay(6), 100); // Friday: off on a trip
        Prefs::d().setInteger(Key::scheduleDay(7), 90);
        QList<MonthSample> year;
        for (int m = 1; m <= 12; ++m)
            year.append({2025, m, 99 - (m * 2) / 3, 40 + m * 9});
        writeHistoryFile(year);
        QVERIFY(QDir().mkpath(m_folder));
    }

    void tab_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("refused"); // notifications refused
        QTest::addColumn<bool>("iconShown");
        QTest::newRow("Laden") << int(SettingsView::Charge) << "1-laden.png" << false << true;
        QTest::newRow("Zeitplan") << int(SettingsView::Schedule) << "2-zeitplan.png" << false
                                  << true;
        QTest::newRow("Mitteilungen")
            << int(SettingsView::Notify) << "3-mitteilungen.png" << false << true;
        QTest::newRow("Mitteilungen abgelehnt")
            << int(SettingsView::Notify) << "3-mitteilungen-abgelehnt.png" << true << true;
        QTest::newRow("Verlauf") << int(SettingsView::History) << "4-verlauf.png" << false << true;
        QTest::newRow("Allgemein")
            << int(SettingsView::General) << "5-allgemein.png" << false << true;
        QTest::newRow("Allgemein ohne Symbol")
            << int(SettingsView::General) << "5-allgemein-ohne-symbol.png" << false << false;
    }
    void tab()
    {
        QFETCH(int, index);
        QFETCH(QString, file);
        QFETCH(bool, refused);
        QFETCH(bool, iconShown);
        Prefs::setShowIcon(iconShown);
        WindowRig rig({.battery = batteryReading(72, true, true, 187, 4382, 4123, 301, 96),
                       .limit = 80,
                       .loginEnabled = true});
        rig.clock.at = QDateTime(QDate(2026, 1, 12), QTime(18, 30)); // a Monday
        rig.center.grant = !refused;
        rig.open<QWidget>(index);
        const QImage image = rig.window->view()->grab().toImage();
        QCOMPARE(image.size() / image.devicePixelRatio(), QSize(520, 600));
        QVERIFY(image.save(m_folder + QLatin1Char('/') + file));
    }

private:
    const QString m_folder = QStringLiteral(QT_TESTCASE_BUILDDIR "/screenshots");
};

QTEST_MAIN(TestWindowScreenshots)
#include "tst_windowscreenshots.moc"
