// SPDX-License-Identifier: GPL-3.0-or-later
// The service's privilege boundary: whatever is planted in the sysfs tree and
// whatever a caller sends, it writes nothing but the threshold attributes of
// the batteries it found inside the tree.
#include "support/PlantedFile.h"
#include "support/ServiceRig.h"

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace
{
void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}
} // namespace

class TestServiceBoundary : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void plantedTree_data();
    void plantedTree();
    void strangeArguments_data();
    void strangeArguments();
    void foundThresholdBelowTheOffered_data();
    void foundThresholdBelowTheOffered();
    void plantedStateFile_data();
    void plantedStateFile();
    void strangeThresholdFile_data();
    void strangeThresholdFile();

private:
    std::unique_ptr<ServiceRig> m_rig;
    std::unique_ptr<QTemporaryDir> m_outside;
};

void TestServiceBoundary::initTestCase()
{
    m_rig = std::make_unique<ServiceRig>(ServiceRig::Mode::System);
    QVERIFY2(m_rig->start(), "dbus-daemon did not start");
    QVERIFY2(m_rig->polkit().startMock(), "python3-dbusmock's polkitd did not come up");
    QVERIFY(m_rig->polkit().allow(true));
}

void TestServiceBoundary::cleanupTestCase()
{
    m_rig.reset();
}

void TestServiceBoundary::init()
{
    m_rig->renew();
    m_outside = std::make_unique<QTemporaryDir>();
}

void TestServiceBoundary::cleanup()
{
    m_rig->service().stop();
}

void TestServiceBoundary::plantedTree_data()
{
    QTest::addColumn<QString>("plant");
    QTest::addColumn<QString>("error");        // of SetLimit(80); empty: it succeeds
    QTest::addColumn<QByteArray>("threshold"); // BAT0's end threshold afterwards

    // The threshold attribute itself links to a file elsewhere.
    // (Read through the link, BAT0's threshold is the untouched file's 95.)
    QTest::newRow("end threshold links out") << "end-link"
                                             << "WriteFailed" << QByteArray("95");
    // The link is not read either, so the start counts as unknown: the end
    // goes first, as drivers take it, the start's write is refused, and the
    // end is put back, so a refused command leaves the battery as it was.
    QTest::newRow("start threshold links out") << "start-link"
                                               << "WriteFailed" << QByteArray("100");
    // A whole battery folder that lives outside the tree.
    QTest::newRow("battery folder links out") << "folder-link"
                                              << "" << QByteArray("80");
    QTest::newRow("name of dots") << "dots"
                                  << "" << QByteArray("80");
    QTest::newRow("threshold of a million digits") << "long"
                                                   << "" << QByteArray("80");
    QTest::newRow("type of a million bytes") << "long-type"
                                             << "" << QByteArray("80");
}

void TestServiceBoundary::plantedTree()
{
    QFETCH(QString, plant);
    QFETCH(QString, error);
    QFETCH(QByteArray, threshold);

    const QString bat0 = m_rig->sysfs().supplyPath(QStringLiteral("BAT0"));
    const QString outsideFile = m_outside->filePath(QStringLiteral("precious"));
    writeFile(outsideFile, "95\n");
    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    if (plant == u"end-link") {
        QVERIFY(QFile::remove(bat0 + "/charge_control_end_threshold"));
        QVERIFY(QFile::link(outsideFile, bat0 + "/charge_control_end_threshold"));
    } else if (plant == u"start-link") {
        QVERIFY(QFile::link(outsideFile, bat0 + "/charge_control_start_threshold"));
    } else if (plant == u"folder-link") {
        const QString elsewhere = m_outside->filePath(QStringLiteral("BAT1"));
        writeFile(elsewhere + "/type", "Battery\n");
        writeFile(elsewhere + "/charge_control_end_threshold", "100\n");
        QVERIFY(QFile::link(elsewhere, m_rig->sysfs().supplyPath(QStringLiteral("BAT1"))));
    } else if (plant == u"dots") {
        m_rig->sysfs().addBattery(QStringLiteral("..."));
    } else if (plant == u"long") {
        writeFile(bat0 + "/charge_control_end_threshold", QByteArray(1'000'000, '9'));
    } else if (plant == u"long-type") {
        writeFile(m_rig->sysfs().supplyPath(QStringLiteral("BAT1")) + "/type",
                  "Battery" + QByteArray(1'000'000, ' ') + "x");
        writeFile(m_rig->sysfs().supplyPath(QStringLiteral("BAT1")) +
                      "/charge_control_end_threshold",
                  "100\n");
    }
    QVERIFY(m_rig->service().start());
    const auto outsideBefore = FakeSysfs().snapshot(m_outside->path());
    auto treeBefore = m_rig->sysfs().snapshot();

    const QDBusMessage reply =
        m_rig->service().call(QStringLiteral("SetLimit"), {QVariant::fromValue(uchar(80))});
    if (error.isEmpty())
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    else
        QCOMPARE(reply.errorName(), "org.voltquill.Charge1.Error." + error);

    QCOMPARE(FakeSysfs().snapshot(m_outside->path()), outsideBefore);
    QCOMPARE(m_rig->sysfs().read(QStringLiteral("BAT0"), "charge_control_end_threshold"),
             threshold);
    // Besides the enumerated thresholds, nothing in the tree changed.
    auto treeAfter = m_rig->sysfs().snapshot();
    for (auto *files : {&treeBefore, &treeAfter})
        for (const QString &name : files->keys())
            if (name.endsWith(u"_threshold") && !QFileInfo(name).isSymLink() &&
                !name.contains(u"BAT1"))
                files->remove(name);
    QCOMPARE(treeAfter, treeBefore);
}

void TestServiceBoundary::strangeArguments_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QVariantList>("arguments");

    QTest::newRow("a path for the limit")
        << "SetLimit" << QVariantList{QStringLiteral("../../../../etc/passwd")};
    QTest::newRow("a 32-bit limit") << "SetLimit" << QVariantList{QVariant::fromValue(quint32(80))};
    QTest::newRow("a limit wrapping to 80")
        << "SetLimit" << QVariantList{QVariant::fromValue(quint32(256 + 80))};
    QTest::newRow("a very long value")
        << "SetLimit" << QVariantList{QString(1 << 20, QLatin1Char('8'))};
    QTest::newRow("two limits") << "SetLimit"
                                << QVariantList{QVariant::fromValue(uchar(80)),
                                                QVariant::fromValue(uchar(80))};
    QTest::newRow("no limit") << "SetLimit" << QVariantList{};
    QTest::newRow("an argument to Enable")
        << "Enable" << QVariantList{QStringLiteral("BAT0/../../x")};
    QTest::newRow("a method that is not there")
        << "WriteAttribute"
        << QVariantList{QStringLiteral("charge_control_end_threshold"), QStringLiteral("80")};
}

void TestServiceBoundary::strangeArguments()
{
    QFETCH(QString, method);
    QFETCH(QVariantList, arguments);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    QVERIFY(m_rig->service().start());
    const auto before = m_rig->sysfs().snapshot(m_rig->stateDir());

    const QDBusMessage reply = m_rig->service().call(method, arguments);
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QTest::qWait(100); // a stray write would land now
    QCOMPARE(m_rig->sysfs().snapshot(m_rig->stateDir()), before);
    // The service is still there and answers.
    QCOMPARE(m_rig->service().call(QStringLiteral("Limit")).arguments().value(0).toInt(), 100);
}

void TestServiceBoundary::foundThresholdBelowTheOffered_data()
{
    QTest::addColumn<QByteArray>("atStart");
    QTest::addColumn<QByteArray>("later"); // written by a driver or a tool meanwhile
    QTest::addColumn<int>("kept");

    // A driver's 0 often means "not set"; a 4 from another tool is no limit either.
    QTest::newRow("0 at start") << QByteArray("0") << QByteArray() << 100;
    QTest::newRow("4 at start") << QByteArray("4") << QByteArray() << 100;
    QTest::newRow("4 written later") << QByteArray("100") << QByteArray("4") << 80;
    QTest::newRow("70 at start is kept") << QByteArray("70") << QByteArray() << 70;
}

void TestServiceBoundary::foundThresholdBelowTheOffered()
{
    QFETCH(QByteArray, atStart);
    QFETCH(QByteArray, later);
    QFETCH(int, kept);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", atStart);
    QVERIFY(m_rig->service().start());
    if (!later.isEmpty()) {
        QCOMPARE(m_rig->service()
                     .call(QStringLiteral("SetLimit"), {QVariant::fromValue(uchar(80))})
                     .type(),
                 QDBusMessage::ReplyMessage);
        QTest::qWait(200);
        m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", later);
        QTest::qWait(300);
    }
    const auto keptLimit = [&] {
        return m_rig->service().call(QStringLiteral("Limit")).arguments().value(0).toInt();
    };
    QCOMPARE(keptLimit(), kept);
    if (kept == 100)
        return;
    // Charged fully once and limited again: the kept limit is what comes back.
    QCOMPARE(m_rig->service().call(QStringLiteral("SuspendUntilUnplugged")).type(),
             QDBusMessage::ReplyMessage);
    QCOMPARE(m_rig->service().call(QStringLiteral("Enable")).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(m_rig->sysfs().read(QStringLiteral("BAT0"), "charge_control_end_threshold"),
             QByteArray::number(kept));
}

void TestServiceBoundary::plantedStateFile_data()
{
    QTest::addColumn<QString>("plant");
    QTest::addColumn<int>("limitAtStart"); // the kept 75 when the file was read
    QTest::addColumn<QString>("aside");    // what state.json.unreadable is then

    // A FIFO froze the service before it took its name; a link was written
    // through, to whatever it pointed at.
    QTest::newRow("FIFO") << "fifo" << 100 << "fifo";
    QTest::newRow("link to a file elsewhere") << "link" << 100 << "link";
    QTest::newRow("link to /dev/zero") << "zero" << 100 << "link";
    QTest::newRow("1 MiB") << "large" << 100 << "file";
    QTest::newRow("a good file") << "file" << 75 << "missing";
}

void TestServiceBoundary::plantedStateFile()
{
    QFETCH(QString, plant);
    QFETCH(int, limitAtStart);
    QFETCH(QString, aside);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    const QString state = m_rig->stateFile(QStringLiteral("state.json"));
    const QString outside = m_outside->filePath(QStringLiteral("precious"));
    writeFile(outside, "{\"limit\":75,\"suspended\":false}\n");
    QVERIFY(plantFile(state, plant, outside, "{\"limit\":75,\"suspended\":false}", 1 << 20));
    // What a write killed midway leaves behind.
    const QStringList leftovers{state + QStringLiteral(".Ab3xY9"),
                                state + QStringLiteral(".q0Z8mK")};
    for (const QString &leftover : leftovers)
        writeFile(leftover, "{\"limit\":");
    const QString unrelated = state + QStringLiteral(".bak");
    writeFile(unrelated, "{}");

    QVERIFY2(m_rig->service().start(), qPrintable(m_rig->service().endDescription()));
    QCOMPARE(m_rig->service().call(QStringLiteral("Limit")).arguments().value(0).toInt(),
             limitAtStart);
    for (const QString &leftover : leftovers)
        QVERIFY2(!QFileInfo::exists(leftover), qPrintable(leftover));
    QVERIFY(QFileInfo::exists(unrelated));

    const QDBusMessage reply =
        m_rig->service().call(QStringLiteral("SetLimit"), {QVariant::fromValue(uchar(80))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    QCOMPARE(fileKind(state), QStringLiteral("file"));
    QFile written(state); // a snapshot of the folder would block on a FIFO kept aside
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("\"limit\":80"));
    QCOMPARE(FakeSysfs().snapshot(m_outside->path()).value(outside),
             QByteArray("{\"limit\":75,\"suspended\":false}\n"));
    // What was refused is kept aside as it was, not followed.
    QCOMPARE(fileKind(state + QStringLiteral(".unreadable")), aside);
}

void TestServiceBoundary::strangeThresholdFile_data()
{
    QTest::addColumn<QString>("plant");
    QTest::addColumn<QString>("error"); // of SetLimit(75)

    // A FIFO froze the service at its first read of the threshold.
    QTest::newRow("FIFO") << "fifo"
                          << "WriteFailed";
    // Read through the link, the outside 80 would be adopted as the limit.
    QTest::newRow("link to a file elsewhere") << "link"
                                              << "WriteFailed";
    QTest::newRow("link to /dev/zero") << "zero"
                                       << "WriteFailed";
}

void TestServiceBoundary::strangeThresholdFile()
{
    QFETCH(QString, plant);
    QFETCH(QString, error);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    const QString outside = m_outside->filePath(QStringLiteral("precious"));
    writeFile(outside, "80\n");
    QVERIFY(plantFile(m_rig->sysfs().supplyPath(QStringLiteral("BAT0")) +
                          "/charge_control_end_threshold",
                      plant, outside, {}, 0));

    QVERIFY2(m_rig->service().start(), qPrintable(m_rig->service().endDescription()));
    QVERIFY(m_rig->service().call(QStringLiteral("Limit")).arguments().value(0).toInt() != 80);
    const QDBusMessage reply =
        m_rig->service().call(QStringLiteral("SetLimit"), {QVariant::fromValue(uchar(75))});
    QCOMPARE(reply.errorName(), "org.voltquill.Charge1.Error." + error);
    QCOMPARE(FakeSysfs().snapshot(m_outside->path()).value(outside), QByteArray("80\n"));
    QVERIFY(m_rig->service().isRunning());
}

QTEST_GUILESS_MAIN(TestServiceBoundary)
#include "tst_serviceboundary.moc"
