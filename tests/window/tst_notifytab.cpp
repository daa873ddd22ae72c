// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"
#include "settings/Key.h"
#include "window/NotifyTab.h"
#include "window/Stepper.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>

// The Notifications tab: bound toggles and steppers, asking only on the way
// on, and the warning while notifications are refused.
class TestNotifyTab : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTemporaryHome(); }
    void init() { Prefs::d().clear(); }

    void defaults()
    {
        WindowRig rig;
        auto *tab = rig.open<NotifyTab>(SettingsView::Notify);
        for (const QString &key : {Key::notifyLimit, Key::notifyLow, Key::notifyAdapter})
            QVERIFY(tab->findChild<QCheckBox *>(key)->isChecked());
        QCOMPARE(tab->findChild<Stepper *>(Key::lowThreshold)->text(), QStringLiteral("bei 10 %"));
        QCOMPARE(tab->findChild<Stepper *>(Key::adapterMinWatts)->text(),
                 QStringLiteral("unter 60 W"));
        // Nothing is written by looking.
        QVERIFY(!Prefs::d().contains(Key::notifyLimit));
        QVERIFY(!Prefs::d().contains(Key::lowThreshold));
    }

    void storedValuesAreShown()
    {
        Prefs::d().setBool(Key::notifyLow, false);
        Prefs::d().setInteger(Key::adapterMinWatts, 95);
        WindowRig rig;
        auto *tab = rig.open<NotifyTab>(SettingsView::Notify);
        QVERIFY(!tab->findChild<QCheckBox *>(Key::notifyLow)->isChecked());
        QVERIFY(!tab->findChild<Stepper *>(Key::lowThreshold)->isEnabled());
        QCOMPARE(tab->findChild<Stepper *>(Key::adapterMinWatts)->text(),
                 QStringLiteral("unter 95 W"));
    }

    void switchingOnAsksSwitchingOffDoesNot_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("limit") << Key::notifyLimit;
        QTest::newRow("low") << Key::notifyLow;
        QTest::newRow("adapter") << Key::notifyAdapter;
    }
    void switchingOnAsksSwitchingOffDoesNot()
    {
        QFETCH(QString, key);
        WindowRig rig;
        auto *tab = rig.open<NotifyTab>(SettingsView::Notify);
        auto *toggle = tab->findChild<QCheckBox *>(key);
        QCOMPARE(rig.center.authorizationRequests, 0); // showing the tab only checks
        QCOMPARE(rig.center.deniedChecks, 1);

        click(toggle);
        QCOMPARE(Prefs::d().boolean(key, true), false);
        QCOMPARE(rig.center.authorizationRequests, 0);
        QCOMPARE(rig.center.deniedChecks, 1);

        click(toggle);
        QCOMPARE(Prefs::d().boolean(key, false), true);
        QCOMPARE(rig.center.authorizationRequests, 1);
        QCOMPARE(rig.center.deniedChecks, 2);
    }

    void refusedNotificationsShowTheWarning()
    {
        WindowRig rig;
        rig.center.grant = false;
        Prefs::d().setBool(Key::notifyLimit, false);
        auto *tab = rig.open<NotifyTab>(SettingsView::Notify);
        auto *section = tab->findChild<QWidget *>(QStringLiteral("deniedSection"));
        QVERIFY(tab->denied());
        QVERIFY(section->isVisible());

        // The user allows them elsewhere and switches a rule on: the warning goes.
        rig.center.grant = true;
        click(tab->findChild<QCheckBox *>(Key::notifyLimit));
        QVERIFY(!tab->denied());
        QVERIFY(!section->isVisible());

        // Refused once more: the toggle stays on as the user set it.
        rig.center.grant = false;
        auto *low = tab->findChild<QCheckBox *>(Key::notifyLow);
        click(low);
        click(low);
        QVERIFY(low->isChecked());
        QVERIFY(section->isVisible());

        click(tab->findChild<QPushButton *>(QStringLiteral("openNotificationSettings")));
        QCOMPARE(rig.panes.opened,
                 QList<SystemSettingsPanes::Pane>{SystemSettingsPanes::Pane::Notifications});
    }

    void aPaneThatCannotBeOpenedExplainsItself()
    {
        WindowRig rig;
        rig.center.grant = false;
        rig.panes.answer = QStringLiteral("Dort nachsehen.");
        auto *tab = rig.open<NotifyTab>(SettingsView::Notify);
        click(tab->findChild<QPushButton *>(QStringLiteral("openNotificationSettings")));
        auto *hint = tab->findChild<QMessageBox *>(QStringLiteral("desktopHint"));
        QVERIFY(hint);
        QCOMPARE(hint->text(), QStringLiteral("Dort nachsehen."));
        hint->close();
    }

    void steppersKeepToTheirRange_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint64>("stored");
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("presses");
        QTest::addColumn<qint64>("result");
        QTest::addColumn<Press>("how");

        for (const Press how : {Press::Key, Press::Mouse}) {
            const char *by = how == Press::Key ? "key" : "arrow";
            QTest::addRow("low threshold up by 5 (%s)", by)
                << Key::lowThreshold << qint64(10) << true << 1 << qint64(15) << how;
            QTest::addRow("low threshold stops at 50 (%s)", by)
                << Key::lowThreshold << qint64(40) << true << 4 << qint64(50) << how;
            QTest::addRow("low threshold stops at 5 (%s)", by)
                << Key::lowThreshold << qint64(15) << false << 5 << qint64(5) << how;
            QTest::addRow("adapter stops at 140 (%s)", by)
                << Key::adapterMinWatts << qint64(130) << true << 3 << qint64(140) << how;
            QTest::addRow("adapter stops at 20 (%s)", by)
                << Key::adapterMinWatts << qint64(30) << false << 4 << qint64(20) << how;
            QTest::addRow("hand-edited 200 comes back into range (%s)", by)
                << Key::adapterMinWatts << qint64(200) << false << 1 << qint64(140) << how;
        }
    }
    void steppersKeepToTheirRange()
    {
        QFETCH(QString, key);
        QFETCH(qint64, stored);
        QFETCH(bool, up);
        QFETCH(int, presses);
        QFETCH(qint64, result);
        QFETCH(Press, how);
        Prefs::d().setInteger(key, stored);
        WindowRig rig;
        auto *stepper = rig.open<NotifyTab>(SettingsView::Notify)->findChild<Stepper *>(key);
        stepper->setFocus();
        for (int i = 0; i < presses; ++i)
            step(stepper, up, how);
        QCOMPARE(Prefs::d().integer(key, -1), result);
        QCOMPARE(stepper->value(), result);
        // At its end the stepper keeps the focus: no other control takes the next press.
        QVERIFY(stepper->hasFocus());
    }

    void typedValuesCountOnlyWhereTheStepsReach_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("stored");
        QTest::newRow("a step") << "35" << qint64(35);
        QTest::newRow("between steps") << "33" << qint64(10);
        QTest::newRow("above the range") << "55" << qint64(10);
    }
    void typedValuesCountOnlyWhereTheStepsReach()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, stored);
        WindowRig rig;
        auto *stepper =
            rig.open<NotifyTab>(SettingsView::Notify)->findChild<Stepper *>(Key::lowThreshold);
        stepper->setFocus();
        stepper->selectAll();
        QTest::keyClicks(stepper, typed);
        QTest::keyClick(stepper, Qt::Key_Return);
        QCOMPARE(Prefs::d().integer(Key::lowThreshold, -1), stored == 10 ? -1 : stored);
        QCOMPARE(stepper->text(), QStringLiteral("bei %1 %").arg(stored));
    }

    void stepperGreysWithItsToggleAndKeepsItsValue()
    {
        Prefs::d().setInteger(Key::lowThreshold, 25);
        WindowRig rig;
        auto *tab = rig.open<NotifyTab>(SettingsView::Notify);
        auto *stepper = tab->findChild<Stepper *>(Key::lowThreshold);
        click(tab->findChild<QCheckBox *>(Key::notifyLow));
        QVERIFY(!stepper->isEnabled());
        QCOMPARE(stepper->text(), QStringLiteral("bei 25 %"));
        QCOMPARE(Prefs::d().integer(Key::lowThreshold, -1), 25);
    }

    void followsAChangeMadeElsewhere()
    {
        WindowRig rig;
        auto *tab = rig.open<NotifyTab>(SettingsView::Notify);
        Prefs::d().setBool(Key::notifyAdapter, false);
        Prefs::d().setInteger(Key::adapterMinWatts, 45);
        QVERIFY(!tab->findChild<QCheckBox *>(Key::notifyAdapter)->isChecked());
        auto *stepper = tab->findChild<Stepper *>(Key::adapterMinWatts);
        QVERIFY(!stepper->isEnabled());
        QCOMPARE(stepper->text(), QStringLiteral("unter 45 W"));
        QCOMPARE(rig.center.authorizationRequests, 0);
    }
};

QTEST_MAIN(TestNotifyTab)
#include "tst_notifytab.moc"
