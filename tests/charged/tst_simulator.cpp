// SPDX-License-Identifier: GPL-3.0-or-later
// voltquill-sim: the simulated laptop's firmware and its commands.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{
QByteArray readAttribute(const QString &root, const QString &supply, const QString &attribute)
{
    QFile file(root + QStringLiteral("/class/power_supply/") + supply + QLatin1Char('/') +
               attribute);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

QString simulator()
{
    return QStringLiteral(SIM_BINARY);
}
} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firmware_data();
    void firmware();
    void commandsFromArguments_data();
    void commandsFromArguments();
    void commandsFromStandardInput();
    void roundsLikeFirmware();
    void outsideChangesAreTakenOver();
};

void TestSimulator::firmware_data()
{
    QTest::addColumn<QStringList>("options"); // the laptop's driver and firmware
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<int>("capacity"); // -1: below the starting level

    QTest::newRow("charges to the end threshold")
        << QStringList{} << QStringList{"plug", "level", "70", "threshold", "80"}
        << QByteArray("Not charging") << 80;
    QTest::newRow("charges to full without a limit")
        << QStringList{} << QStringList{"plug", "level", "95"} << QByteArray("Full") << 100;
    QTest::newRow("discharges on battery")
        << QStringList{} << QStringList{"unplug", "level", "50"} << QByteArray("Discharging") << -1;
    QTest::newRow("holds above a lowered threshold")
        << QStringList{} << QStringList{"plug", "level", "90", "threshold", "60"}
        << QByteArray("Not charging") << 90;
    QTest::newRow("firmware that ignores the threshold")
        << QStringList{"--ignores-threshold"}
        << QStringList{"plug", "level", "70", "threshold", "80"} << QByteArray("Full") << 100;
    QTest::newRow("charge_behaviour only: inhibited")
        << QStringList{"--behaviour-only"}
        << QStringList{"plug", "level", "70", "behaviour", "inhibit-charge"}
        << QByteArray("Not charging") << 70;
    QTest::newRow("charge_behaviour only: auto charges to full")
        << QStringList{"--behaviour-only"}
        << QStringList{"plug", "level", "90", "behaviour", "auto"} << QByteArray("Full") << 100;
    QTest::newRow("charge_behaviour: force-discharge on the adapter")
        << QStringList{"--charge-behaviour"}
        << QStringList{"plug", "level", "70", "behaviour", "force-discharge"}
        << QByteArray("Discharging") << -1;
}

void TestSimulator::firmware()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, commands);
    QFETCH(QByteArray, status);
    QFETCH(int, capacity);

    QTemporaryDir root;
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(simulator(), QStringList{"--root", root.path(), "--speed", "3600", "--tick", "50"} +
                               options + commands);
    QVERIFY(sim.waitForStarted());
    QTRY_COMPARE(readAttribute(root.path(), "BAT0", "status"), status);
    // Simulated hours pass in real seconds only as fast as a loaded machine
    // (the sanitizers, other tests beside) lets the simulator tick.
    constexpr int loadedMs = 30'000;
    if (capacity >= 0)
        QTRY_COMPARE_WITH_TIMEOUT(readAttribute(root.path(), "BAT0", "capacity").toInt(), capacity,
                                  loadedMs);
    else
        QTRY_VERIFY_WITH_TIMEOUT(readAttribute(root.path(), "BAT0", "capacity").toInt() < 50,
                                 loadedMs);
    if (options.contains("--behaviour-only")) {
        // As the kernel lists it; no threshold at all.
        QVERIFY(readAttribute(root.path(), "BAT0", "charge_behaviour").contains('['));
        QVERIFY(
            !QFile::exists(root.path() + "/class/power_supply/BAT0/charge_control_end_threshold"));
    }
    sim.terminate();
    sim.waitForFinished();
}

void TestSimulator::commandsFromArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("supply");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("unplug") << QStringList{"unplug"} << "AC"
                            << "online" << QByteArray("0") << 0;
    QTest::newRow("level=30") << QStringList{"level=30"} << "BAT0"
                              << "capacity" << QByteArray("30") << 0;
    QTest::newRow("USB-PD source") << QStringList{"pd", "60"} << "ucsi-source-psy-USBC000:001"
                                   << "current_max" << QByteArray("3000000") << 0;
    QTest::newRow("driver reset") << QStringList{"threshold", "80", "reset"} << "BAT0"
                                  << "charge_control_end_threshold" << QByteArray("100") << 0;
    QTest::newRow("charge units") << QStringList{"--charge-units"} << "BAT0"
                                  << "charge_full_design" << QByteArray("4935064") << 0;
    QTest::newRow("legacy names") << QStringList{"--legacy", "threshold", "70"} << "BAT0"
                                  << "charge_stop_threshold" << QByteArray("70") << 0;
    QTest::newRow("start threshold") << QStringList{"--start-threshold", "40"} << "BAT0"
                                     << "charge_control_start_threshold" << QByteArray("40") << 0;
    QTest::newRow("options as commands") << QStringList{"--unplug", "--level", "64"} << "BAT0"
                                         << "capacity" << QByteArray("64") << 0;
    QTest::newRow("level out of range") << QStringList{"level", "150"} << "BAT0"
                                        << "capacity" << QByteArray("50") << 2;
    QTest::newRow("unknown command") << QStringList{"explode"} << "AC"
                                     << "online" << QByteArray("1") << 2;
}

void TestSimulator::commandsFromArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, supply);
    QFETCH(QString, attribute);
    QFETCH(QByteArray, value);
    QFETCH(int, exitCode);

    QTemporaryDir root;
    QProcess sim;
    sim.start(simulator(), QStringList{"--root", root.path(), "--once"} + arguments);
    QVERIFY(sim.waitForFinished());
    QCOMPARE(sim.exitCode(), exitCode);
    QCOMPARE(readAttribute(root.path(), supply, attribute), value);
}

void TestSimulator::commandsFromStandardInput()
{
    QTemporaryDir root;
    QProcess sim;
    sim.start(simulator(), {"--root", root.path(), "level", "40"});
    QVERIFY(sim.waitForStarted());
    sim.write("unplug\nlevel 77\nstatus\n");
    QTRY_VERIFY(sim.canReadLine());
    const QString line = QString::fromUtf8(sim.readLine());
    QVERIFY2(line.contains(QStringLiteral("77 %")) && line.contains(QStringLiteral("Netzteil ab")),
             qPrintable(line));
    QCOMPARE(readAttribute(root.path(), "AC", "online"), QByteArray("0"));
    sim.write("quit\n");
    QVERIFY(sim.waitForFinished());
    QCOMPARE(sim.exitCode(), 0);
}

void TestSimulator::roundsLikeFirmware()
{
    QTemporaryDir root;
    QProcess sim;
    sim.start(simulator(), {"--root", root.path(), "--round-to", "10", "--tick", "50"});
    QVERIFY(sim.waitForStarted());
    QTRY_COMPARE(readAttribute(root.path(), "BAT0", "charge_control_end_threshold"),
                 QByteArray("100"));
    QFile threshold(root.path() + "/class/power_supply/BAT0/charge_control_end_threshold");
    QVERIFY(threshold.open(QIODevice::WriteOnly));
    threshold.write("85");
    threshold.close();
    QTRY_COMPARE(readAttribute(root.path(), "BAT0", "charge_control_end_threshold"),
                 QByteArray("80"));
    sim.terminate();
    sim.waitForFinished();
}

void TestSimulator::outsideChangesAreTakenOver()
{
    QTemporaryDir root;
    QProcess sim;
    sim.start(simulator(), {"--root", root.path(), "--tick", "50", "level", "60"});
    QVERIFY(sim.waitForStarted());
    QTRY_COMPARE(readAttribute(root.path(), "AC", "online"), QByteArray("1"));
    // Another process unplugs through the tree, as a test script would.
    QProcess once;
    once.start(simulator(), {"--root", root.path(), "--once", "unplug"});
    QVERIFY(once.waitForFinished());
    // The running simulator discharges only once it took the unplug over;
    // by then it has rewritten the tree, and "online" must still be 0.
    QTRY_COMPARE_WITH_TIMEOUT(readAttribute(root.path(), "BAT0", "status"),
                              QByteArray("Discharging"), 10000);
    QCOMPARE(readAttribute(root.path(), "AC", "online"), QByteArray("0"));
    sim.terminate();
    sim.waitForFinished();
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
