// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window from the keyboard alone, with key events on the real
// window: the Tab order of every tab, the limit segments as one radio group,
// no setting changed by a second press after a control vanished, steppers at
// their ends, switching tabs and closing.
#include "WindowRig.h"
#include "settings/Key.h"
#include "window/ChargeTab.h"
#include "window/FocusGuard.h"
#include "window/SegmentedControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTabBar>

Q_DECLARE_METATYPE(Qt::KeyboardModifiers)

namespace
{
QWidget *focused()
{
    return QApplication::focusWidget();
}

QString describe(const QWidget *w)
{
    if (!w)
        return QStringLiteral("(none)");
    const auto *button = qobject_cast<const QAbstractButton *>(w);
    return QStringLiteral("%1 %2 \"%3\"")
        .arg(QLatin1String(w->metaObject()->className()), w->objectName(),
             button ? button->text() : w->accessibleName());
}

// The controls Tab reaches from the tab strip until it is back there.
QList<QWidget *> tabWalk(SettingsView *view)
{
    QTabBar *strip = view->tabs()->tabBar();
    strip->setFocus(Qt::TabFocusReason);
    QList<QWidget *> seen;
    for (int i = 0; i < 60; ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        if (focused() == strip || seen.contains(focused()))
            break;
        seen.append(focused());
    }
    return seen;
}

// Reading order: a control lower down, or on the same line further right.
bool before(QWidget *a, QWidget *b, QWidget *window)
{
    const QRect ra(a->mapTo(window, QPoint()), a->size());
    const QRect rb(b->mapTo(window, QPoint()), b->size());
    const bool sameLine = ra.top() < rb.bottom() && rb.top() < ra.bottom();
    return sameLine ? ra.left() < rb.left() : ra.top() < rb.top();
}

SegmentedControl *segments(SettingsView *view)
{
    return view->findChild<SegmentedControl *>(QStringLiteral("limitSelector"));
}

QAbstractButton *segment(SettingsView *view, qint64 value)
{
    return view->findChild<QAbstractButton *>(QStringLiteral("segment_%1").arg(value));
}
} // namespace

class TestWindowKeyboard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        useTemporaryHome();
        QList<MonthSample> year;
        for (int m = 1; m <= 12; ++m)
            year.append({2025, m, 99 - m, 40 + m * 9});
        writeHistoryFile(year);
    }
    void init()
    {
        Prefs::d().clear();
        Prefs::d().setBool(Key::scheduleOn, true);
    }

    void tabFollowsTheVisualOrder_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("first"); // the first controls, by name
        QTest::newRow("Laden") << int(SettingsView::Charge)
                               << QStringList{"segment_80", "chargeFullOnce"};
        QTest::newRow("Zeitplan") << int(SettingsView::Schedule)
                                  << QStringList{"scheduleOn", Key::scheduleDay(2)};
        QTest::newRow("Mitteilungen")
            << int(SettingsView::Notify)
            << QStringList{Key::notifyLimit, Key::notifyLow, Key::lowThreshold, Key::notifyAdapter,
                           Key::adapterMinWatts};
        QTest::newRow("Verlauf") << int(SettingsView::History)
                                 << QStringList{Key::historyOn, "historyList", "clearHistory"};
        QTest::newRow("Allgemein")
            << int(SettingsView::General) << QStringList{"showIcon", "iconStyle", Key::iconColour};
    }
    void tabFollowsTheVisualOrder()
    {
        QFETCH(int, index);
        QFETCH(QStringList, first);
        WindowRig rig;
        QWidget *tab = rig.open<QWidget>(index);
        QTest::qWait(20); // the history tab builds its list on first show
        SettingsView *view = rig.window->view();
        const QList<QWidget *> walk = tabWalk(view);

        QStringList names;
        for (const QWidget *w : walk)
            names << w->objectName();
        QCOMPARE(names.mid(0, first.size()), first);
        // Every control of the tab once, and nothing outside it.
        QList<QWidget *> reachable;
        for (QWidget *w : tab->findChildren<QWidget *>())
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
                !w->focusProxy())
                reachable << w;
        for (QWidget *w : reachable)
            QVERIFY2(walk.contains(w), qPrintable(describe(w) + QStringLiteral(" never reached")));
        for (int i = 1; i < walk.size(); ++i) {
            QVERIFY2(tab->isAncestorOf(walk.at(i)), qPrintable(describe(walk.at(i))));
            QVERIFY2(before(walk.at(i - 1), walk.at(i), view),
                     qPrintable(describe(walk.at(i - 1)) + QStringLiteral(" before ") +
                                describe(walk.at(i))));
        }
        // Shift+Tab goes the same way back.
        QTest::keyClick(focused(), Qt::Key_Backtab);
        QCOMPARE(focused(), walk.last());
    }

    void segmentsAreOneRadioGroup_data()
    {
        QTest::addColumn<quint64>("limit");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("focusEnd");
        QTest::addColumn<QList<qint64>>("sent");
        QTest::newRow("right moves the choice")
            << quint64(80) << QList<int>{Qt::Key_Right, Qt::Key_Right} << "segment_90"
            << QList<qint64>{85, 90};
        QTest::newRow("left stops at the first")
            << quint64(85) << QList<int>{Qt::Key_Left, Qt::Key_Left} << "segment_80"
            << QList<qint64>{80};
        QTest::newRow("end picks the last")
            << quint64(80) << QList<int>{Qt::Key_End} << "segment_100" << QList<qint64>{100};
        QTest::newRow("nothing picked: arrows move only the focus")
            << quint64(83) << QList<int>{Qt::Key_Right, Qt::Key_Right} << "segment_90"
            << QList<qint64>{};
        QTest::newRow("nothing picked: Return picks")
            << quint64(83) << QList<int>{Qt::Key_Right, Qt::Key_Return} << "segment_85"
            << QList<qint64>{85};
        QTest::newRow("nothing picked: Space picks")
            << quint64(83) << QList<int>{Qt::Key_Down, Qt::Key_Space} << "segment_85"
            << QList<qint64>{85};
        QTest::newRow("Space on the selected one changes nothing")
            << quint64(80) << QList<int>{Qt::Key_Space} << "segment_80" << QList<qint64>{};
    }
    void segmentsAreOneRadioGroup()
    {
        QFETCH(quint64, limit);
        QFETCH(QList<int>, keys);
        QFETCH(QString, focusEnd);
        QFETCH(QList<qint64>, sent);
        WindowRig rig({.limit = limit});
        rig.open<ChargeTab>(SettingsView::Charge);
        SettingsView *view = rig.window->view();
        // One Tab stop for the group: the selected segment, or the first.
        const QList<QWidget *> walk = tabWalk(view);
        int stops = 0;
        for (const QWidget *w : walk)
            stops += segments(view)->isAncestorOf(w);
        QCOMPARE(stops, 1);
        QCOMPARE(walk.first()->objectName(), limit == 83 ? QStringLiteral("segment_80")
                                                         : QStringLiteral("segment_%1").arg(limit));
        walk.first()->setFocus(Qt::TabFocusReason);
        for (const int key : keys)
            QTest::keyClick(focused(), Qt::Key(key));
        QCOMPARE(focused()->objectName(), focusEnd);
        QCOMPARE(rig.client->limitsSent(), sent);
        if (!sent.isEmpty())
            QVERIFY(segment(view, sent.last())->isChecked());
    }

    void aVanishedButtonLeavesNoSettingUnderTheFocus()
    {
        WindowRig rig({.limit = 80});
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        auto *fullOnce = tab->findChild<QAbstractButton *>(QStringLiteral("chargeFullOnce"));
        fullOnce->setFocus(Qt::TabFocusReason);
        QTest::keyClick(fullOnce, Qt::Key_Space);
        QCOMPARE(rig.client->sent.count(QStringLiteral("temporarilyDisableMCL")), 1);
        QVERIFY(!fullOnce->isEnabled());
        // The next Space lands where it changes nothing.
        QWidget *now = focused();
        QVERIFY(now);
        QVERIFY2(!FocusGuard::changesSetting(now), qPrintable(describe(now)));
        QTest::keyClick(now, Qt::Key_Space);
        QTest::keyClick(focused(), Qt::Key_Space);
        QVERIFY(rig.client->limitsSent().isEmpty());
        QCOMPARE(rig.client->sent.count(QStringLiteral("enableMCL")), 0);
        QCOMPARE(rig.state->limit(), 80);
    }

    void aStepperAtItsEndKeepsItsValueAndTheFocus_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<int>("arrow");
        QTest::newRow("adapter at 140, Up")
            << int(SettingsView::Notify) << Key::adapterMinWatts << qint64(140) << int(Qt::Key_Up);
        QTest::newRow("low battery at 5, Down")
            << int(SettingsView::Notify) << Key::lowThreshold << qint64(5) << int(Qt::Key_Down);
        QTest::newRow("blinking at 30, Page Up")
            << int(SettingsView::General) << Key::blinkThreshold << qint64(30)
            << int(Qt::Key_PageUp);
    }
    void aStepperAtItsEndKeepsItsValueAndTheFocus()
    {
        QFETCH(int, index);
        QFETCH(QString, key);
        QFETCH(qint64, end);
        QFETCH(int, arrow);
        Prefs::d().setInteger(key, end);
        const qint64 other = Prefs::lowThreshold();
        WindowRig rig;
        auto *stepper = rig.open<QWidget>(index)->findChild<Stepper *>(key);
        stepper->setFocus(Qt::TabFocusReason);
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(focused(), Qt::Key(arrow));
        QCOMPARE(focused(), stepper);
        QCOMPARE(stepper->value(), end);
        QCOMPARE(Prefs::d().integer(key, -1), end);
        QCOMPARE(Prefs::lowThreshold(), key == Key::lowThreshold ? end : other);
        QCOMPARE(Prefs::adapterMinWatts(), key == Key::adapterMinWatts ? end : 60);
    }

    void switchingTabs_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
        QTest::newRow("Ctrl+PgDn") << int(Qt::Key_PageDown) << ctrl << 0 << 1;
        QTest::newRow("Ctrl+PgDn wraps") << int(Qt::Key_PageDown) << ctrl << 4 << 0;
        QTest::newRow("Ctrl+PgUp") << int(Qt::Key_PageUp) << ctrl << 2 << 1;
        QTest::newRow("Ctrl+PgUp wraps") << int(Qt::Key_PageUp) << ctrl << 0 << 4;
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << ctrl << 3 << 4;
        QTest::newRow("Ctrl+Shift+Tab")
            << int(Qt::Key_Backtab) << (ctrl | Qt::ShiftModifier) << 1 << 0;
    }
    void switchingTabs()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, from);
        QFETCH(int, to);
        WindowRig rig;
        QWidget *tab = rig.open<QWidget>(from);
        // From inside the tab, where a control has the focus.
        QTest::keyClick(rig.window->view()->tabs()->tabBar(), Qt::Key_Tab);
        QVERIFY(tab->isAncestorOf(focused()));
        QTest::keyClick(focused(), Qt::Key(key), modifiers);
        QCOMPARE(rig.window->view()->tabs()->currentIndex(), to);
    }

    void closingKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << Qt::KeyboardModifiers();
        QTest::newRow("Ctrl+W") << int(Qt::Key_W) << Qt::KeyboardModifiers(Qt::ControlModifier);
    }
    void closingKeys()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        WindowRig rig;
        rig.open<QWidget>(SettingsView::Notify);
        SettingsView *view = rig.window->view();
        QTest::keyClick(view->tabs()->tabBar(), Qt::Key_Tab);
        QTest::keyClick(focused(), Qt::Key(key), modifiers);
        QVERIFY(!view->isVisible());
        // Closing only hides: the same window comes back.
        rig.window->showWindow();
        QCOMPARE(rig.window->view(), view);
        QVERIFY(view->isVisible());
    }

    void accessKeysReachButtonsAndSwitches()
    {
        WindowRig rig;
        auto *tab = rig.open<QWidget>(SettingsView::Notify);
        auto *low = tab->findChild<QAbstractButton *>(Key::notifyLow);
        const qsizetype at = low->text().indexOf(QLatin1Char('&'));
        QVERIFY2(at >= 0, qPrintable(low->text()));
        QTest::keyClick(focused(), low->text().at(at + 1).toLatin1(), Qt::AltModifier);
        QVERIFY(low->hasFocus());
        // Distinct within the tab.
        QSet<QChar> keys;
        for (const QAbstractButton *b : tab->findChildren<QAbstractButton *>()) {
            const qsizetype amp = b->text().indexOf(QLatin1Char('&'));
            if (amp < 0)
                continue;
            const QChar k = b->text().at(amp + 1).toLower();
            QVERIFY2(!keys.contains(k), qPrintable(b->text()));
            keys.insert(k);
        }
        QVERIFY(keys.size() >= 4);
    }
};

QTEST_MAIN(TestWindowKeyboard)
#include "tst_windowkeyboard.moc"
