// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/LinuxSystemEvents.h"
#include "support/SysfsTree.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

class TestSystemEvents : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void plugAndStatusChangesAreEvents()
    {
        SysfsTree tree;
        tree.add("AC", {{"type", "Mains"}, {"online", "0"}});
        tree.add("BAT0", {{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "50"}});
        LinuxSystemEvents events(tree.root(), true);
        QSignalSpy spy(&events, &SystemEvents::powerSourceChanged);
        QVERIFY(events.start());

        tree.set("AC", "online", "1");
        QTRY_VERIFY(spy.count() >= 1);
        spy.clear();
        tree.set("BAT0", "status", "Charging");
        QTRY_VERIFY(spy.count() >= 1);

        // A supply appearing later is watched too.
        tree.add("ucsi-source-psy-1", {{"type", "USB"}, {"online", "0"}});
        QTRY_VERIFY(spy.count() >= 2);
        spy.clear();
        tree.set("ucsi-source-psy-1", "online", "1");
        QTRY_VERIFY(spy.count() >= 1);
    }

    void otherAttributesAreNoEvent()
    {
        SysfsTree tree;
        tree.add("BAT0", {{"type", "Battery"},
                          {"status", "Discharging"},
                          {"capacity", "50"},
                          {"energy_now", "25000000"}});
        LinuxSystemEvents events(tree.root(), true);
        QSignalSpy spy(&events, &SystemEvents::powerSourceChanged);
        QVERIFY(events.start());
        tree.set("BAT0", "energy_now", "24900000");
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);
        tree.set("BAT0", "capacity", "49");
        QTRY_VERIFY(spy.count() >= 1);
    }

    void aThresholdWrittenByAnotherProgramIsNewsBesideUdev()
    {
        // Such a write raises no uevent; inotify sees it, on sysfs too.
        SysfsTree tree;
        tree.add("BAT0", {{"type", "Battery"},
                          {"status", "Discharging"},
                          {"capacity", "50"},
                          {"charge_control_end_threshold", "80"}});
        LinuxSystemEvents events(tree.root(), false);
        QSignalSpy spy(&events, &SystemEvents::powerSourceChanged);
        if (!events.start())
            QSKIP("no udev monitor here");
        tree.set("BAT0", "capacity", "49"); // udev's to tell, not the watch's
        QTest::qWait(200);
        QCOMPARE(spy.count(), 0);
        tree.set("BAT0", "charge_control_end_threshold", "100");
        QTRY_VERIFY(spy.count() >= 1);
    }

    void aBurstOfWritesIsFolded_data()
    {
        QTest::addColumn<bool>("watchFiles");
        QTest::addColumn<QString>("attribute");
        QTest::newRow("moved root, charge level") << true << QStringLiteral("capacity");
        QTest::newRow("udev, threshold") << false << QStringLiteral("charge_control_end_threshold");
    }

    void aBurstOfWritesIsFolded()
    {
        // Another program writing in a loop: one rescan and tick per event
        // cost the agent seconds of CPU a minute.
        QFETCH(bool, watchFiles);
        QFETCH(QString, attribute);
        SysfsTree tree;
        tree.add("BAT0", {{"type", "Battery"},
                          {"status", "Discharging"},
                          {"capacity", "50"},
                          {"charge_control_end_threshold", "80"}});
        LinuxSystemEvents events(tree.root(), watchFiles);
        QSignalSpy spy(&events, &SystemEvents::powerSourceChanged);
        if (!events.start())
            QSKIP("no udev monitor here");

        QElapsedTimer burst;
        burst.start();
        int writes = 0;
        while (burst.elapsed() < 300) {
            tree.set("BAT0", attribute, QString::number(60 + writes++ % 40));
            QTest::qWait(1);
        }
        const qsizetype duringBurst = spy.count();
        QVERIFY2(duringBurst <= 300 / 20 + 5,
                 qPrintable(QStringLiteral("%1 ticks for %2 writes").arg(duringBurst).arg(writes)));
        // The last write is still heard within a fraction of a second.
        spy.clear();
        tree.set("BAT0", attribute, "55");
        QVERIFY(spy.wait(250));
    }
};

QTEST_GUILESS_MAIN(TestSystemEvents)
#include "tst_systemevents.moc"
