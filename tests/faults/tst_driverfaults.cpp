// SPDX-License-Identifier: GPL-3.0-or-later
// The agent and the real service on the simulated laptop while the battery
// driver misbehaves: it refuses a threshold, rounds it, or the battery's
// folder vanishes and comes back (hot-unplug, driver reload, reset to 100).
#include "Laptop.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "app/SystemClock.h"
#include "platform/ChargeClientFactory.h"
#include "platform/SysfsBatteryRegistry.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/ServiceRig.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace
{
QByteArray readThreshold(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(64).trimmed() : QByteArray("<none>");
}
} // namespace

class TestDriverFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void misbehavingDriver_data();
    void misbehavingDriver();

private:
    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
};

void TestDriverFaults::misbehavingDriver_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("error");   // the agent's error after picking 85
    QTest::addColumn<qint64>("limit");    // what the agent shows in the end
    QTest::addColumn<QByteArray>("held"); // the threshold in the end

    QTest::newRow("refuses every write")
        << "refuses"
        << "Limit konnte nicht gesetzt werden: Der Akkutreiber hat die Ladeschwelle nicht "
           "angenommen."
        << qint64(80) << QByteArray("<device>");
    QTest::newRow("keeps only multiples of ten") << "rounds"
                                                 << "" << qint64(80) << QByteArray("80");
    QTest::newRow("battery gone") << "vanishes"
                                  << "" << qint64(85) << QByteArray("<none>");
    QTest::newRow("driver reloaded at 100") << "reloads"
                                            << "" << qint64(85) << QByteArray("85");
}

void TestDriverFaults::misbehavingDriver()
{
    QFETCH(QString, fault);
    QFETCH(QString, error);
    QFETCH(qint64, limit);
    QFETCH(QByteArray, held);

    Prefs::setChosenLimit(std::nullopt);
    ServiceRig rig(ServiceRig::Mode::Session);
    QVERIFY(rig.start());
    const QString root = rig.sysfs().root();
    Laptop laptop({.root = root, .roundTo = fault == u"rounds" ? 10 : 1});
    QString message;
    QVERIFY2(laptop.create(&message), qPrintable(message));
    laptop.setPlugged(true);
    laptop.step(1);
    const QString batteryDir = root + QStringLiteral("/class/power_supply/BAT0");
    const QString threshold = batteryDir + QStringLiteral("/charge_control_end_threshold");

    QVERIFY(rig.service().start());
    SystemClock clock;
    SysfsBatteryRegistry registry(root);
    ChargeLimit chargeLimit(ChargeClientFactory::create(rig.connection()));
    AppState state(chargeLimit, registry, clock);
    state.setLimit(80);
    QCOMPARE(state.error(), std::nullopt);

    if (fault == u"refuses") {
        // A device in the attribute's place answers every write with an
        // error, as a driver's store function does.
        QVERIFY(QFile::remove(threshold));
        if (::mknod(QFile::encodeName(threshold).constData(), S_IFCHR | 0644, makedev(1, 7)) != 0)
            QSKIP("creating a device node is not allowed here");
        // Between the two the battery had no threshold; the service rescans
        // its folder on each change, at most 20 ms after it.
        QTest::qWait(200);
    }
    state.setLimit(85);
    QCOMPARE(state.error().value_or(QString()), error);

    if (fault == u"rounds") {
        laptop.step(60); // the firmware takes 85 as 80
    } else if (fault == u"vanishes" || fault == u"reloads") {
        QVERIFY(QDir(batteryDir).removeRecursively());
        QTest::qWait(300); // the service notices the battery is gone
        state.refresh();
        QCOMPARE(state.battery().hasBattery, false);
        QCOMPARE(state.limit(), 85); // the service still keeps it
        if (fault == u"reloads") {
            QVERIFY2(laptop.create(&message), qPrintable(message));
            laptop.setEndThreshold(100); // the driver is back, at its default
            laptop.step(60);
        }
    }
    QTRY_COMPARE((state.refresh(), state.limit()), limit);
    QCOMPARE(state.engaged(), true);
    if (held == "<device>")
        QVERIFY(QFileInfo(threshold).exists() && !QFileInfo(threshold).isFile());
    else
        QTRY_COMPARE(readThreshold(threshold), held);
}

QTEST_GUILESS_MAIN(TestDriverFaults)
#include "tst_driverfaults.moc"
