// SPDX-License-Identifier: GPL-3.0-or-later
// Each laptop family through the real service on a private bus: what it
// offers, what it writes (start, end, mode), what a driver's refusal shows,
// and what --check says about it.
#include "FamilyFixtures.h"
#include "support/FakeSysfs.h"
#include "support/PlantedFile.h"
#include "support/PrivateBus.h"
#include "support/ServiceProcess.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// One entry of python3-dbusmock's AddObject method list, a(ssss).
struct MockMethod {
    QString name, inSignature, outSignature, code;
};
Q_DECLARE_METATYPE(MockMethod)

QDBusArgument &operator<<(QDBusArgument &argument, const MockMethod &method)
{
    argument.beginStructure();
    argument << method.name << method.inSignature << method.outSignature << method.code;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, MockMethod &method)
{
    argument.beginStructure();
    argument >> method.name >> method.inSignature >> method.outSignature >> method.code;
    argument.endStructure();
    return argument;
}

namespace
{
QByteArray bytes(const QList<int> &limits)
{
    QByteArray out;
    for (int limit : limits)
        out.append(static_cast<char>(limit));
    return out;
}

const QList<int> Default{60, 65, 70, 75, 80, 85, 90, 95, 100};
} // namespace

class TestChargedFamilies : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void offeredAndWritten_data();
    void offeredAndWritten();
    void refusalShowsInGerman_data();
    void refusalShowsInGerman();
    void checkNamesWhatStandsInTheWay_data();
    void checkNamesWhatStandsInTheWay();
    void checkSkipsStrangeTlpFiles_data();
    void checkSkipsStrangeTlpFiles();
    void upowerThresholdSwitch_data();
    void upowerThresholdSwitch();
    void modeFoundSurvivesRestart();
    void stateFileWithoutModesStillLoads();
    void tamperedModeIsNotWritten_data();
    void tamperedModeIsNotWritten();

private:
    // "BAT0/charge_types" (below class/power_supply) or "/devices/…" (below
    // the root).
    QByteArray value(const QString &attribute) const;
    void expect(const QStringList &assignments) const;
    // voltquill-charged --check on the fake tree, without any bus (or with
    // the private one as the system bus).
    QString check(int *exitCode, bool withBus = false) const;
    uchar answer(const QString &method) const
    {
        return m_service->call(method).arguments().value(0).value<uchar>();
    }

    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<FakeSysfs> m_sysfs;
    std::unique_ptr<QTemporaryDir> m_state;
    std::unique_ptr<QTemporaryDir> m_etc;
    std::unique_ptr<ServiceProcess> m_service;
};

void TestChargedFamilies::initTestCase()
{
    qDBusRegisterMetaType<MockMethod>();
    qDBusRegisterMetaType<QList<MockMethod>>();
    m_bus = std::make_unique<PrivateBus>();
    QVERIFY2(m_bus->start(), "dbus-daemon did not start");
}

void TestChargedFamilies::init()
{
    m_sysfs = std::make_unique<FakeSysfs>();
    m_state = std::make_unique<QTemporaryDir>();
    m_etc = std::make_unique<QTemporaryDir>();
    // Session mode: the caller is the same user, no polkit.
    m_service = std::make_unique<ServiceProcess>(*m_bus, m_sysfs->root(), m_state->path(), true);
}

void TestChargedFamilies::cleanup()
{
    m_service.reset();
}

QByteArray TestChargedFamilies::value(const QString &attribute) const
{
    const QString path = attribute.startsWith(u'/')
                             ? m_sysfs->root() + attribute
                             : m_sysfs->root() + "/class/power_supply/" + attribute;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4096).trimmed() : QByteArray("(fehlt)");
}

void TestChargedFamilies::expect(const QStringList &assignments) const
{
    for (const QString &assignment : assignments) {
        const QString attribute = assignment.section(u'=', 0, 0);
        const QByteArray wanted = assignment.section(u'=', 1).toLatin1();
        QVERIFY2(value(attribute) == wanted,
                 qPrintable(QStringLiteral("%1 is %2, not %3")
                                .arg(attribute, QString::fromLatin1(value(attribute)),
                                     QString::fromLatin1(wanted))));
    }
}

QString TestChargedFamilies::check(int *exitCode, bool withBus) const
{
    QProcess process;
    QProcessEnvironment environment =
        withBus ? m_bus->environment() : QProcessEnvironment::systemEnvironment();
    environment.insert("VOLTQUILL_SYSFS_ROOT", m_sysfs->root());
    environment.insert("VOLTQUILL_ETC_ROOT", m_etc->path());
    if (!withBus) {
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/voltquill-no-bus");
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/voltquill-no-bus");
    }
    process.setProcessEnvironment(environment);
    process.start(ServiceProcess::binary(), {QStringLiteral("--check")});
    if (!process.waitForFinished(10000))
        return QStringLiteral("(hung)");
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

void TestChargedFamilies::offeredAndWritten_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("name"); // what --check calls it
    QTest::addColumn<QList<int>>("offered");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("limited");   // the attributes holding `limit`
    QTest::addColumn<QStringList>("unlimited"); // after SetLimit(100)

    QTest::newRow("thinkpad: both batteries, start brought below the end")
        << "thinkpad"
        << "ThinkPad (thinkpad_acpi)" << Default << 80
        << QStringList{"BAT0/charge_control_start_threshold=75",
                       "BAT0/charge_control_end_threshold=80",
                       "BAT1/charge_control_start_threshold=75",
                       "BAT1/charge_control_end_threshold=80"}
        << QStringList{"BAT0/charge_control_end_threshold=100",
                       "BAT1/charge_control_end_threshold=100",
                       "BAT0/charge_control_start_threshold=75"};
    QTest::newRow("dell: Custom switched on, Standard back")
        << "dell"
        << "Dell (dell-laptop)" << Default << 80
        << QStringList{"BAT0/charge_types=Custom", "BAT0/charge_control_start_threshold=50",
                       "BAT0/charge_control_end_threshold=80"}
        << QStringList{"BAT0/charge_types=Standard", "BAT0/charge_control_end_threshold=100"};
    QTest::newRow("wilco: charge_type on the charger supply")
        << "wilco"
        << "Chromebook mit Wilco-EC (wilco_charger)" << Default << 80
        << QStringList{"wilco-charger/charge_type=Custom",
                       "wilco-charger/charge_control_start_threshold=75",
                       "wilco-charger/charge_control_end_threshold=80"}
        << QStringList{"wilco-charger/charge_type=Standard",
                       "wilco-charger/charge_control_end_threshold=100"};
    QTest::newRow("asus: end only, the values firmware keeps")
        << "asus"
        << "ASUS (asus-wmi)" << QList<int>{60, 80, 100} << 60
        << QStringList{"BAT0/charge_control_end_threshold=60"}
        << QStringList{"BAT0/charge_control_end_threshold=100"};
    QTest::newRow("huawei: start 0 may stay")
        << "huawei"
        << "Huawei MateBook (huawei-wmi)" << Default << 70
        << QStringList{"BAT0/charge_control_start_threshold=0",
                       "BAT0/charge_control_end_threshold=70"}
        << QStringList{"BAT0/charge_control_end_threshold=100"};
    QTest::newRow("lg: 80 or 100") << "lg"
                                   << "LG gram (lg-laptop)" << QList<int>{80, 100} << 80
                                   << QStringList{"BAT0/charge_control_end_threshold=80"}
                                   << QStringList{"BAT0/charge_control_end_threshold=100"};
    QTest::newRow("toshiba: 80 or 100, on BAT1")
        << "toshiba"
        << "Toshiba/Dynabook (toshiba_acpi)" << QList<int>{80, 100} << 80
        << QStringList{"BAT1/charge_control_end_threshold=80"}
        << QStringList{"BAT1/charge_control_end_threshold=100"};
    QTest::newRow("galaxybook: end only")
        << "galaxybook"
        << "Samsung Galaxy Book (samsung-galaxybook)" << Default << 85
        << QStringList{"BAT1/charge_control_end_threshold=85"}
        << QStringList{"BAT1/charge_control_end_threshold=100"};
    QTest::newRow("msi: the firmware's start is left alone")
        << "msi"
        << "MSI (msi-ec)" << Default << 80
        << QStringList{"BAT1/charge_control_end_threshold=80",
                       "BAT1/charge_control_start_threshold=90"}
        << QStringList{"BAT1/charge_control_end_threshold=100"};
    QTest::newRow("system76") << "system76"
                              << "System76 (system76_acpi)" << Default << 80
                              << QStringList{"BAT0/charge_control_start_threshold=75",
                                             "BAT0/charge_control_end_threshold=80"}
                              << QStringList{"BAT0/charge_control_end_threshold=100"};
    QTest::newRow("framework") << "framework"
                               << "Framework/ChromeOS-EC (cros_charge-control)" << Default << 80
                               << QStringList{"BAT1/charge_control_start_threshold=0",
                                              "BAT1/charge_control_end_threshold=80"}
                               << QStringList{"BAT1/charge_control_end_threshold=100"};
    QTest::newRow("apple: 80 or 100, start the firmware's")
        << "apple"
        << "Apple silicon (macsmc_power)" << QList<int>{80, 100} << 80
        << QStringList{"macsmc-battery/charge_control_end_threshold=80",
                       "macsmc-battery/charge_control_start_threshold=95"}
        << QStringList{"macsmc-battery/charge_control_end_threshold=100"};
    QTest::newRow("sony: care limiter, 0 for none")
        << "sony"
        << "Sony VAIO (sony-laptop)" << QList<int>{50, 80, 100} << 50
        << QStringList{"/devices/platform/sony-laptop/battery_care_limiter=50"}
        << QStringList{"/devices/platform/sony-laptop/battery_care_limiter=0"};
    QTest::newRow("generic driver") << "generic"
                                    << "Treiber mit charge_control_end_threshold" << Default << 80
                                    << QStringList{"BAT0/charge_control_end_threshold=80"}
                                    << QStringList{"BAT0/charge_control_end_threshold=100"};
    QTest::newRow("legacy names") << "legacy"
                                  << "Treiber mit charge_stop_threshold (ältere Namen)" << Default
                                  << 60
                                  << QStringList{"BAT0/charge_start_threshold=55",
                                                 "BAT0/charge_stop_threshold=60"}
                                  << QStringList{"BAT0/charge_stop_threshold=100"};
}

void TestChargedFamilies::offeredAndWritten()
{
    QFETCH(QString, family);
    QFETCH(QString, name);
    QFETCH(QList<int>, offered);
    QFETCH(int, limit);
    QFETCH(QStringList, limited);
    QFETCH(QStringList, unlimited);

    FamilyFixtures::lay(*m_sysfs, family);

    // --check first: it names the family and the limits, and writes nothing.
    const auto before = m_sysfs->snapshot();
    int exitCode = -1;
    const QString report = check(&exitCode);
    QCOMPARE(exitCode, 0);
    QStringList limits;
    for (int l : offered)
        limits << QString::number(l);
    const QStringList lines = report.split(u'\n');
    QVERIFY2(lines.contains("Familie: " + name), qPrintable(report));
    QVERIFY2(lines.contains("Angebotene Limits: " + limits.join(", ") + " %"), qPrintable(report));
    QVERIFY2(lines.contains("Ergebnis: Dieser Laptop kann ein Ladelimit halten."),
             qPrintable(report));
    QCOMPARE(m_sysfs->snapshot(), before);

    QVERIFY(m_service->start());
    QCOMPARE(m_service->call("AvailableLimits").arguments().value(0).toByteArray(), bytes(offered));

    QDBusMessage reply = m_service->call("SetLimit", {QVariant::fromValue(uchar(limit))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    expect(limited);
    QCOMPARE(answer("Limit"), uchar(limit));

    reply = m_service->call("SetLimit", {QVariant::fromValue(uchar(100))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    expect(unlimited);
    QCOMPARE(answer("Limit"), uchar(100));
}

void TestChargedFamilies::refusalShowsInGerman_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("message");

    const QString end = QStringLiteral("%1 hat charge_control_end_threshold = 80 abgelehnt.");
    const QString mode = QStringLiteral(
        "%1 hat %2 = Custom abgelehnt: ohne diesen Lademodus wirkt die Ladeschwelle nicht.");
    QTest::newRow("thinkpad") << "thinkpad"
                              << "BAT0 hat charge_control_start_threshold = 75 abgelehnt.";
    QTest::newRow("dell") << "dell" << mode.arg("BAT0", "charge_types");
    QTest::newRow("wilco (Long Life set in the factory)")
        << "wilco" << mode.arg("wilco-charger", "charge_type");
    QTest::newRow("asus") << "asus" << end.arg("BAT0");
    QTest::newRow("huawei") << "huawei" << end.arg("BAT0");
    QTest::newRow("lg") << "lg" << end.arg("BAT0");
    QTest::newRow("toshiba") << "toshiba" << end.arg("BAT1");
    QTest::newRow("galaxybook") << "galaxybook" << end.arg("BAT1");
    QTest::newRow("msi") << "msi" << end.arg("BAT1");
    QTest::newRow("system76") << "system76"
                              << "BAT0 hat charge_control_start_threshold = 75 abgelehnt.";
    QTest::newRow("framework") << "framework" << end.arg("BAT1");
    QTest::newRow("apple") << "apple" << end.arg("macsmc-battery");
    QTest::newRow("sony") << "sony"
                          << "sony-laptop hat battery_care_limiter = 80 abgelehnt.";
    QTest::newRow("generic") << "generic" << end.arg("BAT0");
    QTest::newRow("legacy") << "legacy"
                            << "BAT0 hat charge_start_threshold = 75 abgelehnt.";
}

void TestChargedFamilies::refusalShowsInGerman()
{
    QFETCH(QString, family);
    QFETCH(QString, message);

    FamilyFixtures::lay(*m_sysfs, family);
    // Every write to it fails, as a driver's refusal does.
    const QString refusing = m_sysfs->root() + u'/' + FamilyFixtures::refusing(family);
    QVERIFY(QFile::remove(refusing));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), refusing));
    QVERIFY(m_service->start());

    const QDBusMessage reply = m_service->call("SetLimit", {QVariant::fromValue(uchar(80))});
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), QStringLiteral("org.voltquill.Charge1.Error.WriteFailed"));
    QCOMPARE(reply.errorMessage(), message);
    // No limit is claimed that the battery does not keep.
    QCOMPARE(answer("Limit"), uchar(100));
    QCOMPARE(m_service->call("IsEnabled").arguments().value(0).toBool(), false);
}

void TestChargedFamilies::checkNamesWhatStandsInTheWay_data()
{
    QTest::addColumn<QString>("tree"); // a family, "none" or "bare"
    QTest::addColumn<QByteArray>("tlpConf");
    QTest::addColumn<QByteArray>("dropIn"); // tlp.d/01-akku.conf
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines"); // beginnings of lines that must be there
    QTest::addColumn<QString>("absent");    // a beginning no line may have

    const QString tlp = QStringLiteral("Achtung: TLP schreibt ebenfalls Ladeschwellen (");
    QTest::newRow("no battery")
        << "none" << QByteArray() << QByteArray() << 1
        << QStringList{"Akkus: keine", "Ergebnis: Dieser Laptop kann kein Ladelimit halten.",
                       "Grund: Kein Akku gefunden"}
        << "Familie:";
    QTest::newRow("no threshold attribute")
        << "bare" << QByteArray() << QByteArray() << 1
        << QStringList{"Akkus: BAT0", "Grund: Der Akku BAT0 bietet keine Ladeschwelle "
                                      "(charge_control_end_threshold fehlt)"}
        << "Familie:";
    QTest::newRow("driver too old")
        << "old dell" << QByteArray() << QByteArray() << 1
        << QStringList{"Grund: Der Treiber dell_laptop ist geladen, bietet aber keine "
                       "Ladeschwelle (charge_control_end_threshold mit charge_types fehlt): er "
                       "ist zu alt (Ladeschwellen ab Linux 6.12) oder kennt dieses Modell nicht."}
        << "Familie:";
    QTest::newRow("TLP with a threshold")
        << "thinkpad" << QByteArray("TLP_ENABLE=1\nSTOP_CHARGE_THRESH_BAT0=80\n") << QByteArray()
        << 0
        << QStringList{"Ergebnis: Dieser Laptop kann ein Ladelimit halten.",
                       tlp + "STOP_CHARGE_THRESH_BAT0 in "}
        << "Grund:";
    QTest::newRow("TLP drop-in") << "dell" << QByteArray()
                                 << QByteArray("START_CHARGE_THRESH_BAT0=\"60\"\n") << 0
                                 << QStringList{tlp + "START_CHARGE_THRESH_BAT0 in "} << "Grund:";
    QTest::newRow("TLP, thresholds commented out or empty")
        << "thinkpad"
        << QByteArray("#STOP_CHARGE_THRESH_BAT0=80\n  # START_CHARGE_THRESH_BAT0=75\n"
                      "STOP_CHARGE_THRESH_BAT1=\"\"\n")
        << QByteArray() << 0 << QStringList{"Ergebnis: Dieser Laptop kann ein Ladelimit halten."}
        << "Achtung:";
    QTest::newRow("TLP, a drop-in's threshold emptied in tlp.conf")
        << "thinkpad" << QByteArray("STOP_CHARGE_THRESH_BAT0=\n")
        << QByteArray("STOP_CHARGE_THRESH_BAT0=80\n") << 0 << QStringList{} << "Achtung:";
    QTest::newRow("mode to switch, start left to the firmware")
        << "wilco" << QByteArray() << QByteArray() << 0
        << QStringList{"Attribute: wilco-charger/charge_type, "
                       "wilco-charger/charge_control_start_threshold, "
                       "wilco-charger/charge_control_end_threshold",
                       "Hinweis: Die Schwellen wirken nur im Lademodus Custom"}
        << "Achtung:";
    QTest::newRow("firmware that forgets") << "asus" << QByteArray() << QByteArray() << 0
                                           << QStringList{"Hinweis: Der Treiber setzt die "
                                                          "Schwelle beim Start zurück",
                                                          "Hinweis: Voltquill setzt nur das Ende"}
                                           << "Grund:";
}

void TestChargedFamilies::checkNamesWhatStandsInTheWay()
{
    QFETCH(QString, tree);
    QFETCH(QByteArray, tlpConf);
    QFETCH(QByteArray, dropIn);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    QFETCH(QString, absent);

    if (tree == u"none") {
        m_sysfs->addAdapter(true);
    } else if (tree == u"bare") {
        m_sysfs->addSupply("BAT0", {{"type", "Battery"}, {"capacity", "60"}});
    } else if (tree == u"old dell") {
        m_sysfs->addModule("dell_laptop");
        m_sysfs->addSupply("BAT0", {{"type", "Battery"}, {"capacity", "60"}});
    } else {
        FamilyFixtures::lay(*m_sysfs, tree);
    }
    if (!tlpConf.isEmpty())
        FakeSysfs::writeFile(m_etc->filePath("tlp.conf"), tlpConf);
    if (!dropIn.isEmpty())
        FakeSysfs::writeFile(m_etc->filePath("tlp.d/01-akku.conf"), dropIn);

    int code = -1;
    const QString report = check(&code);
    QCOMPARE(code, exitCode);
    const QStringList reported = report.split(u'\n');
    for (const QString &line : lines) {
        const bool found = std::any_of(reported.begin(), reported.end(),
                                       [&](const QString &r) { return r.startsWith(line); });
        QVERIFY2(found, qPrintable(line + QStringLiteral("\n--- not in ---\n") + report));
    }
    for (const QString &line : reported)
        QVERIFY2(!line.startsWith(absent), qPrintable(report));
}

void TestChargedFamilies::upowerThresholdSwitch_data()
{
    QTest::addColumn<bool>("enabled");

    QTest::newRow("switched on") << true;
    QTest::newRow("switched off") << false;
}

void TestChargedFamilies::upowerThresholdSwitch()
{
    QFETCH(bool, enabled);

    FamilyFixtures::lay(*m_sysfs, "thinkpad");
    // UPower's battery objects, played by python3-dbusmock on the private bus.
    QProcess upower;
    upower.setProcessEnvironment(m_bus->environment());
    upower.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    upower.start("/usr/bin/python3", {"-m", "dbusmock", "--system", "org.freedesktop.UPower",
                                      "/org/freedesktop/UPower", "org.freedesktop.UPower"});
    QVERIFY(m_bus->waitForName("org.freedesktop.UPower"));
    for (const QString battery : {"BAT0", "BAT1"}) {
        QDBusMessage add =
            QDBusMessage::createMethodCall("org.freedesktop.UPower", "/org/freedesktop/UPower",
                                           "org.freedesktop.DBus.Mock", "AddObject");
        // The switch is on for the second battery only: any one counts.
        add << "/org/freedesktop/UPower/devices/battery_" + battery
            << QStringLiteral("org.freedesktop.UPower.Device")
            << QVariantMap{{"NativePath", battery},
                           {"ChargeThresholdEnabled", enabled && battery == u"BAT1"}}
            << QVariant::fromValue(QList<MockMethod>());
        const QDBusMessage reply = m_bus->connection().call(add);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    int code = -1;
    const QString report = check(&code, true);
    upower.terminate();
    upower.waitForFinished(5000);
    QCOMPARE(code, 0);
    QCOMPARE(report.contains("Achtung: UPower hält ebenfalls eine Ladeschwelle"), enabled);
}

void TestChargedFamilies::modeFoundSurvivesRestart()
{
    // A laptop that was in Adaptive before the limit came.
    FamilyFixtures::lay(*m_sysfs, "dell");
    m_sysfs->write("BAT0", "charge_types", "Trickle Fast Standard [Adaptive] Custom");
    QVERIFY(m_service->start());
    QCOMPARE(m_service->call("SetLimit", {QVariant::fromValue(uchar(80))}).type(),
             QDBusMessage::ReplyMessage);
    expect({"BAT0/charge_types=Custom"});

    m_service->stop(); // a reboot
    QVERIFY(m_service->start());
    QCOMPARE(answer("Limit"), uchar(80));
    QCOMPARE(m_service->call("SetLimit", {QVariant::fromValue(uchar(100))}).type(),
             QDBusMessage::ReplyMessage);
    expect({"BAT0/charge_types=Adaptive", "BAT0/charge_control_end_threshold=100"});

    // Nothing left to switch back to: the state file forgets the mode.
    QFile state(m_state->filePath("state.json"));
    QVERIFY(state.open(QIODevice::ReadOnly));
    const QJsonObject stored = QJsonDocument::fromJson(state.readAll()).object();
    QCOMPARE(stored.value("limit").toInt(), 100);
    QVERIFY(!stored.contains("modes"));
}

void TestChargedFamilies::stateFileWithoutModesStillLoads()
{
    // Written by an older version: no modes. At boot the firmware is in
    // Standard with the threshold at 80, which does nothing there.
    FamilyFixtures::lay(*m_sysfs, "dell");
    m_sysfs->write("BAT0", "charge_control_end_threshold", "80");
    FakeSysfs::writeFile(m_state->filePath("state.json"), R"({"limit":80,"suspended":false})");
    QVERIFY(m_service->start());

    QTRY_COMPARE(value("BAT0/charge_types"), QByteArray("Custom"));
    QCOMPARE(answer("Limit"), uchar(80));
    QCOMPARE(m_service->call("SetLimit", {QVariant::fromValue(uchar(100))}).type(),
             QDBusMessage::ReplyMessage);
    expect({"BAT0/charge_types=Standard"});
}

void TestChargedFamilies::tamperedModeIsNotWritten_data()
{
    QTest::addColumn<QByteArray>("modes");

    QTest::newRow("two lines") << QByteArray(R"({"BAT0": "Standard\nFast"})");
    QTest::newRow("a path") << QByteArray(R"({"BAT0": "../../module/x"})");
    QTest::newRow("very long") << QByteArray(R"({"BAT0": ")" + QByteArray(300, 'A') + "\"}");
    QTest::newRow("a number") << QByteArray(R"({"BAT0": 5})");
    QTest::newRow("not an object") << QByteArray(R"(["Standard"])");
}

void TestChargedFamilies::tamperedModeIsNotWritten()
{
    QFETCH(QByteArray, modes);

    // A limit in force, and a hand-edited state file naming the mode found.
    FamilyFixtures::lay(*m_sysfs, "dell");
    m_sysfs->write("BAT0", "charge_types", "Trickle Fast Standard Adaptive [Custom]");
    m_sysfs->write("BAT0", "charge_control_end_threshold", "80");
    FakeSysfs::writeFile(m_state->filePath("state.json"),
                         R"({"limit":80,"suspended":false,"modes":)" + modes + "}");
    QVERIFY(m_service->start());
    QCOMPARE(answer("Limit"), uchar(80));

    const QDBusMessage reply = m_service->call("SetLimit", {QVariant::fromValue(uchar(100))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    // The limit is gone; the mode stays as it is rather than take a stranger.
    expect({"BAT0/charge_control_end_threshold=100",
            "BAT0/charge_types=Trickle Fast Standard Adaptive [Custom]"});
}

void TestChargedFamilies::checkSkipsStrangeTlpFiles_data()
{
    QTest::addColumn<QString>("file"); // below the moved /etc
    QTest::addColumn<QString>("plant");

    // A FIFO hung --check for good; /dev/zero cost a bounded but useless read.
    QTest::newRow("tlp.conf a FIFO") << "tlp.conf"
                                     << "fifo";
    QTest::newRow("drop-in a FIFO") << "tlp.d/01-akku.conf"
                                    << "fifo";
    QTest::newRow("tlp.conf a link to /dev/zero") << "tlp.conf"
                                                  << "zero";
    // Far beyond any configuration: not read, even where it starts like one.
    QTest::newRow("tlp.conf of 1 MiB") << "tlp.conf"
                                       << "large";
}

void TestChargedFamilies::checkSkipsStrangeTlpFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, plant);

    FamilyFixtures::lay(*m_sysfs, QStringLiteral("thinkpad"));
    const QString path = m_etc->filePath(file);
    QDir().mkpath(QFileInfo(path).path());
    QVERIFY(plantFile(path, plant, {}, "STOP_CHARGE_THRESH_BAT0=80\n", 1 << 20));

    int code = -1;
    const QString report = check(&code);
    QCOMPARE(code, 0);
    QVERIFY2(report.contains(u"Ergebnis: Dieser Laptop kann ein Ladelimit halten."),
             qPrintable(report));
    QVERIFY2(!report.contains(u"Achtung:"), qPrintable(report));
}

QTEST_GUILESS_MAIN(TestChargedFamilies)
#include "tst_ChargedFamilies.moc"
