// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"
#include "policy/Scheduler.h"
#include "settings/Key.h"
#include "window/ScheduleTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

// Every edit in the tab forgets the schedule's applied marker and applies
// anew; a marker no real day has shows whether that happened.
static void markUntouched()
{
    Prefs::d().setString(Key::scheduleApplied, QStringLiteral("untouched"));
}
static bool untouched()
{
    return Prefs::d().string(Key::scheduleApplied) == QStringLiteral("untouched");
}

// The Schedule tab: bound pickers, greyed sections, and every edit applying
// the schedule at once.
class TestScheduleTab : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTemporaryHome(); }
    void init() { Prefs::d().clear(); }

    void offGreysTheSectionsButNotTheSwitch()
    {
        WindowRig rig;
        auto *tab = rig.open<ScheduleTab>(SettingsView::Schedule);
        auto *on = tab->findChild<QCheckBox *>(QStringLiteral("scheduleOn"));
        QVERIFY(!on->isChecked());
        QVERIFY(on->isEnabled());
        for (QGroupBox *section : tab->findChildren<QGroupBox *>())
            QVERIFY(!section->isEnabled());

        click(on);
        QVERIFY(Prefs::d().boolean(Key::scheduleOn, false));
        for (QGroupBox *section : tab->findChildren<QGroupBox *>())
            QVERIFY(section->isEnabled());
    }

    void eveningHourPickerFollowsTheEveningSwitch()
    {
        Prefs::d().setBool(Key::scheduleOn, true);
        WindowRig rig;
        auto *tab = rig.open<ScheduleTab>(SettingsView::Schedule);
        auto *eve = tab->findChild<QCheckBox *>(QStringLiteral("scheduleEve"));
        auto *hour = tab->findChild<QComboBox *>(QStringLiteral("scheduleEveHour"));
        QVERIFY(eve->isChecked());
        QVERIFY(hour->isEnabled());
        QCOMPARE(hour->count(), 12);
        QCOMPARE(hour->itemText(0), QStringLiteral("12:00 Uhr"));
        QCOMPARE(hour->itemText(11), QStringLiteral("23:00 Uhr"));
        QCOMPARE(hour->currentText(), QStringLiteral("20:00 Uhr"));
        click(eve);
        QVERIFY(!hour->isEnabled());
        QCOMPARE(Prefs::d().boolean(Key::scheduleEve, true), false);
    }

    void storedValueOutsideTheChoices_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("picker");
        QTest::addColumn<qint64>("stored");
        // Empty: no selection. A weekday shows the limit it sets: the
        // offered one nearest to what is stored.
        QTest::addColumn<QString>("shown");

        QTest::newRow("evening hour 7")
            << Key::scheduleEveHour << Key::scheduleEveHour << qint64(7) << QString();
        QTest::newRow("evening hour 24")
            << Key::scheduleEveHour << Key::scheduleEveHour << qint64(24) << QString();
        QTest::newRow("evening hour 23") << Key::scheduleEveHour << Key::scheduleEveHour
                                         << qint64(23) << QStringLiteral("23:00 Uhr");
        QTest::newRow("Monday 83")
            << Key::scheduleDay(2) << Key::scheduleDay(2) << qint64(83) << QStringLiteral("85 %");
        QTest::newRow("Monday 95")
            << Key::scheduleDay(2) << Key::scheduleDay(2) << qint64(95) << QStringLiteral("95 %");
    }
    void storedValueOutsideTheChoices()
    {
        QFETCH(QString, key);
        QFETCH(QString, picker);
        QFETCH(qint64, stored);
        QFETCH(QString, shown);
        Prefs::d().setInteger(key, stored);
        WindowRig rig;
        auto *tab = rig.open<ScheduleTab>(SettingsView::Schedule);
        auto *box = tab->findChild<QComboBox *>(picker);
        if (!box)
            QSKIP("no weekday pickers without the weekday list");
        QCOMPARE(box->currentIndex() < 0, shown.isEmpty());
        QCOMPARE(box->currentText(), shown);
    }

    void weekdayPickersOfferTheOptions()
    {
        WindowRig rig({.limits = {60, 70, 80, 100}});
        auto *tab = rig.open<ScheduleTab>(SettingsView::Schedule);
        const auto days = Scheduler::weekdays();
        for (const auto &[n, name] : days) {
            auto *box = tab->findChild<QComboBox *>(Key::scheduleDay(n));
            QVERIFY(box);
            QStringList texts;
            for (int i = 0; i < box->count(); ++i)
                texts.append(box->itemText(i));
            QCOMPARE(texts, (QStringList{"60 %", "70 %", "80 %", "100 %"}));
            QCOMPARE(box->currentText(), QStringLiteral("80 %"));
        }
        QCOMPARE(tab->findChildren<QComboBox *>().size(), days.size() + 1);
    }

    // Every edit stores its value, clears the applied marker and applies the
    // schedule as it now stands: the limit set is the one a fresh apply gives.
    void everyEditAppliesTheSchedule_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("switch on") << QStringLiteral("scheduleOn");
        QTest::newRow("evening switch") << QStringLiteral("scheduleEve");
        QTest::newRow("evening hour") << QStringLiteral("scheduleEveHour");
        QTest::newRow("Tuesday's limit") << Key::scheduleDay(3);
    }
    void everyEditAppliesTheSchedule()
    {
        QFETCH(QString, control);
        if (control != QLatin1String("scheduleOn"))
            Prefs::d().setBool(Key::scheduleOn, true);
        WindowRig rig;
        rig.clock.at = QDateTime(QDate(2026, 3, 9), QTime(21, 0)); // Monday evening
        auto *tab = rig.open<ScheduleTab>(SettingsView::Schedule);
        markUntouched();
        rig.client->sent.clear();

        QWidget *widget = tab->findChild<QWidget *>(control);
        if (!widget)
            QSKIP("no weekday pickers without the weekday list");
        if (auto *box = qobject_cast<QCheckBox *>(widget)) {
            click(box);
        } else {
            auto *combo = qobject_cast<QComboBox *>(widget);
            const int index = combo->count() - 1;
            combo->setCurrentIndex(index);
            Q_EMIT combo->activated(index);
            const QString key = control;
            QCOMPARE(Prefs::d().integer(key, -1), combo->itemData(index).toLongLong());
        }
        QVERIFY(!untouched()); // the edit forgot the applied marker and applied anew

        std::optional<qint64> expected;
        Scheduler::invalidate();
        Scheduler::apply(rig.clock.now(), {}, [&expected](qint64 limit) { expected = limit; });
        if (expected)
            QCOMPARE(rig.client->limitsSent(), QList<qint64>{*expected});
        else
            QVERIFY(rig.client->limitsSent().isEmpty());
    }

    // Choosing again what a picker already shows is no change: the limit the
    // user picked in the menu meanwhile stays.
    void repickingKeepsALimitPickedInTheMenu_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<qint64>("stored"); // -1: nothing stored, the default shows
        QTest::newRow("evening hour at its default")
            << QStringLiteral("scheduleEveHour") << qint64(-1);
        QTest::newRow("evening hour stored") << QStringLiteral("scheduleEveHour") << qint64(22);
        QTest::newRow("Tuesday's limit at its default") << Key::scheduleDay(3) << qint64(-1);
        QTest::newRow("Tuesday's limit stored") << Key::scheduleDay(3) << qint64(90);
    }
    void repickingKeepsALimitPickedInTheMenu()
    {
        QFETCH(QString, control);
        QFETCH(qint64, stored);
        Prefs::d().setBool(Key::scheduleOn, true);
        if (stored >= 0)
            Prefs::d().setInteger(control, stored);
        WindowRig rig;
        rig.clock.at = QDateTime(QDate(2026, 3, 9), QTime(21, 0)); // Monday evening
        auto *tab = rig.open<ScheduleTab>(SettingsView::Schedule);
        rig.state->setLimit(95); // from the menu
        QCOMPARE(rig.state->limit(), 95);
        markUntouched();
        rig.client->sent.clear();

        auto *combo = tab->findChild<QComboBox *>(control);
        QVERIFY(combo);
        const int index = combo->currentIndex();
        QVERIFY(index >= 0);
        Q_EMIT combo->activated(index);

        QCOMPARE(rig.state->limit(), 95);
        QVERIFY(rig.client->limitsSent().isEmpty());
        QVERIFY(untouched());
    }

    void followsAChangeMadeElsewhere()
    {
        WindowRig rig;
        auto *tab = rig.open<ScheduleTab>(SettingsView::Schedule);
        auto *on = tab->findChild<QCheckBox *>(QStringLiteral("scheduleOn"));
        auto *hour = tab->findChild<QComboBox *>(QStringLiteral("scheduleEveHour"));
        markUntouched();
        rig.client->sent.clear();

        Prefs::d().setBool(Key::scheduleOn, true);
        Prefs::d().setInteger(Key::scheduleEveHour, 22);
        QVERIFY(on->isChecked());
        QCOMPARE(hour->currentText(), QStringLiteral("22:00 Uhr"));
        // Only the tab's own edits apply the schedule.
        QVERIFY(untouched());
        QVERIFY(rig.client->limitsSent().isEmpty());
    }

    void followsTheFileWrittenByAnotherProcess()
    {
        WindowRig rig;
        auto *tab = rig.open<ScheduleTab>(SettingsView::Schedule);
        auto *hour = tab->findChild<QComboBox *>(QStringLiteral("scheduleEveHour"));
        QFile file(Prefs::d().filePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(R"({"scheduleOn": true, "scheduleEveHour": 13})");
        file.close();
        QTRY_COMPARE(hour->currentText(), QStringLiteral("13:00 Uhr"));
        QVERIFY(hour->isEnabled());
    }
};

QTEST_MAIN(TestScheduleTab)
#include "tst_scheduletab.moc"
