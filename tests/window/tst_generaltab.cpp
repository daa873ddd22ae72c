// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"
#include "settings/Key.h"
#include "window/GeneralTab.h"
#include "window/Stepper.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

// The General tab: icon settings with their callback and greyed dependants,
// blinking, the login item and the buttons.
class TestGeneralTab : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTemporaryHome(); }
    void init() { Prefs::d().clear(); }

    void switchingTheIconOff()
    {
        WindowRig rig;
        auto *tab = rig.open<GeneralTab>(SettingsView::General);
        auto *show = tab->findChild<QCheckBox *>(QStringLiteral("showIcon"));
        auto *style = tab->findChild<QComboBox *>(QStringLiteral("iconStyle"));
        auto *blink = tab->findChild<QCheckBox *>(Key::blinkLow);
        auto *blinkAt = tab->findChild<Stepper *>(Key::blinkThreshold);
        auto *panelButton = tab->findChild<QPushButton *>(QStringLiteral("openPanelSettings"));
        auto *panelHint = tab->findChild<QLabel *>(QStringLiteral("panelHint"));
        auto *hiddenHint = tab->findChild<QLabel *>(QStringLiteral("hiddenHint"));
        QVERIFY(show->isChecked());
        for (QWidget *w : {static_cast<QWidget *>(style), static_cast<QWidget *>(blink),
                           static_cast<QWidget *>(blinkAt)})
            QVERIFY(w->isEnabled());
        QVERIFY(panelButton->isVisible());
        QVERIFY(panelHint->isVisible());
        QVERIFY(!hiddenHint->isVisible());

        click(show);
        QCOMPARE(Prefs::showIcon(), false);
        QCOMPARE(rig.iconChanges, 1);
        for (QWidget *w : {static_cast<QWidget *>(style), static_cast<QWidget *>(blink),
                           static_cast<QWidget *>(blinkAt)})
            QVERIFY(!w->isEnabled());
        QVERIFY(!panelButton->isVisible());
        QVERIFY(!panelHint->isVisible());
        QVERIFY(hiddenHint->isVisible());
        QVERIFY(hiddenHint->text().contains(QStringLiteral("Anwendungsmenü")));
    }

    void choosingAStyle_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("label");
        QTest::newRow("percent inside") << 0 << QStringLiteral("Prozent im Batterie-Symbol");
        QTest::newRow("symbol only") << 1 << QStringLiteral("Nur Batterie-Symbol");
        QTest::newRow("percent beside") << 2 << QStringLiteral("Symbol und Prozent daneben");
    }
    void choosingAStyle()
    {
        QFETCH(int, index);
        QFETCH(QString, label);
        Prefs::setIconStyle(index == 0 ? 2 : 0);
        WindowRig rig;
        auto *style = rig.open<GeneralTab>(SettingsView::General)
                          ->findChild<QComboBox *>(QStringLiteral("iconStyle"));
        QCOMPARE(style->itemText(index), label);
        style->setCurrentIndex(index);
        Q_EMIT style->activated(index);
        QCOMPARE(Prefs::iconStyle(), qint64(index));
        QCOMPARE(rig.iconChanges, 1);
    }

    // "Symbolfarbe": the stored choice shows, a new one is stored and redraws
    // the icon, the one already chosen changes nothing.
    void choosingAColour_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: nothing stored
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("pick");
        QTest::addColumn<int>("iconChanges");
        QTest::newRow("default, pick light") << QVariant() << "Automatisch" << 1 << 1;
        QTest::newRow("light, pick dark") << QVariant(1) << "Hell" << 2 << 1;
        QTest::newRow("dark, pick automatic") << QVariant(2) << "Dunkel" << 0 << 1;
        QTest::newRow("dark, pick dark again") << QVariant(2) << "Dunkel" << 2 << 0;
        QTest::newRow("stored 7 shows automatic") << QVariant(7) << "Automatisch" << 1 << 1;
    }
    void choosingAColour()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, shown);
        QFETCH(int, pick);
        QFETCH(int, iconChanges);
        if (stored.isValid())
            Prefs::d().setInteger(Key::iconColour, stored.toLongLong());
        WindowRig rig;
        auto *tab = rig.open<GeneralTab>(SettingsView::General);
        auto *colour = tab->findChild<QComboBox *>(Key::iconColour);
        QVERIFY(colour);
        QCOMPARE(colour->currentText(), shown);
        colour->setCurrentIndex(pick);
        Q_EMIT colour->activated(pick);
        QCOMPARE(rig.iconChanges, iconChanges);
        if (iconChanges > 0)
            QCOMPARE(Prefs::d().integer(Key::iconColour, -1), qint64(pick));
        // Disabled with the icon.
        click(tab->findChild<QCheckBox *>(QStringLiteral("showIcon")));
        QVERIFY(!colour->isEnabled());
    }

    void iconSettingsAreReadWhenTheTabIsBuilt_data()
    {
        QTest::addColumn<bool>("showIcon");
        QTest::addColumn<qint64>("style");
        QTest::addColumn<int>("index");
        QTest::newRow("hidden, symbol only") << false << qint64(1) << 1;
        QTest::newRow("style 7 from a hand-edited file") << true << qint64(7) << -1;
    }
    void iconSettingsAreReadWhenTheTabIsBuilt()
    {
        QFETCH(bool, showIcon);
        QFETCH(qint64, style);
        QFETCH(int, index);
        Prefs::setShowIcon(showIcon);
        Prefs::setIconStyle(style);
        WindowRig rig;
        auto *tab = rig.open<GeneralTab>(SettingsView::General);
        QCOMPARE(tab->findChild<QCheckBox *>(QStringLiteral("showIcon"))->isChecked(), showIcon);
        auto *box = tab->findChild<QComboBox *>(QStringLiteral("iconStyle"));
        QCOMPARE(box->currentIndex(), index);
        QCOMPARE(box->isEnabled(), showIcon);
    }

    void blinkingAndItsStepper()
    {
        Prefs::d().setBool(Key::blinkLow, false);
        WindowRig rig;
        auto *tab = rig.open<GeneralTab>(SettingsView::General);
        auto *blink = tab->findChild<QCheckBox *>(Key::blinkLow);
        auto *blinkAt = tab->findChild<Stepper *>(Key::blinkThreshold);
        QVERIFY(!blinkAt->isEnabled());
        QCOMPARE(blinkAt->text(), QStringLiteral("bei 10 % und weniger"));

        click(blink);
        QCOMPARE(Prefs::d().boolean(Key::blinkLow, false), true);
        QCOMPARE(rig.iconChanges, 1);
        QVERIFY(blinkAt->isEnabled());

        for (int i = 0; i < 6; ++i)
            step(blinkAt, true, Press::Mouse);
        QCOMPARE(Prefs::d().integer(Key::blinkThreshold, -1), 30);
        QCOMPARE(rig.iconChanges, 1 + 4); // 15, 20, 25, 30; then it stops
        for (int i = 0; i < 6; ++i)
            step(blinkAt, false, Press::Key);
        QCOMPARE(Prefs::d().integer(Key::blinkThreshold, -1), 5);
        QCOMPARE(blinkAt->text(), QStringLiteral("bei 5 % und weniger"));
    }

    void blinkingFollowsAChangeMadeElsewhere()
    {
        WindowRig rig;
        auto *tab = rig.open<GeneralTab>(SettingsView::General);
        Prefs::d().setBool(Key::blinkLow, false);
        Prefs::d().setInteger(Key::blinkThreshold, 20);
        QVERIFY(!tab->findChild<QCheckBox *>(Key::blinkLow)->isChecked());
        auto *blinkAt = tab->findChild<Stepper *>(Key::blinkThreshold);
        QVERIFY(!blinkAt->isEnabled());
        QCOMPARE(blinkAt->text(), QStringLiteral("bei 20 % und weniger"));
        QCOMPARE(rig.iconChanges, 0);
    }

    void loginItem_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("fail");
        QTest::addColumn<bool>("switchAfter");
        QTest::addColumn<bool>("errorShown");
        QTest::newRow("register") << false << false << true << false;
        QTest::newRow("register fails") << false << true << true << true;
        QTest::newRow("unregister") << true << false << false << false;
        QTest::newRow("unregister fails") << true << true << false << true;
    }
    void loginItem()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, fail);
        QFETCH(bool, switchAfter);
        QFETCH(bool, errorShown);
        WindowRig rig({.loginEnabled = enabled});
        rig.login.fail = fail;
        auto *tab = rig.open<GeneralTab>(SettingsView::General);
        auto *login = tab->findChild<QCheckBox *>(QStringLiteral("loginItem"));
        auto *error = tab->findChild<QLabel *>(QStringLiteral("loginError"));
        QCOMPARE(login->isChecked(), enabled);
        QVERIFY(!error->isVisible());

        click(login);
        QCOMPARE(rig.login.registers, enabled ? 0 : 1);
        QCOMPARE(rig.login.unregisters, enabled ? 1 : 0);
        QCOMPARE(login->isChecked(), switchAfter);
        QCOMPARE(error->isVisible(), errorShown);
        if (errorShown)
            QVERIFY(!error->text().isEmpty());

        // The next change that works removes the text.
        rig.login.fail = false;
        click(login);
        QVERIFY(!error->isVisible());
    }

    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("pane"); // -1: quits
        QTest::newRow("battery settings")
            << QStringLiteral("openBatterySettings") << int(SystemSettingsPanes::Pane::Battery);
        QTest::newRow("panel settings")
            << QStringLiteral("openPanelSettings") << int(SystemSettingsPanes::Pane::PanelIcons);
        QTest::newRow("quit") << QStringLiteral("quit") << -1;
    }
    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(int, pane);
        WindowRig rig;
        auto *tab = rig.open<GeneralTab>(SettingsView::General);
        click(tab->findChild<QPushButton *>(button));
        QCOMPARE(rig.quits, pane < 0 ? 1 : 0);
        if (pane >= 0)
            QCOMPARE(rig.panes.opened,
                     QList<SystemSettingsPanes::Pane>{SystemSettingsPanes::Pane(pane)});
    }
};

QTEST_MAIN(TestGeneralTab)
#include "tst_generaltab.moc"
