// SPDX-License-Identifier: GPL-3.0-or-later
// Each laptop family through the real service on a private bus: what it
// offers, what it writes (start, end, mode), what a driver's refusal shows,
// and what --check says about it.
#include "FamilyFixtures.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "platform/ChargeClientFactory.h"
#include "platform/SysfsBatteryRegistry.h"
#include "policy/Scheduler.h"
#include "settings/Prefs.h"
#include "shared/ChargeBus.h"
#include "shared/LaptopFamily.h"
#include "shared/ThresholdControls.h"
#include "support/BoundSettings.h"
#include "support/FakeBatteryRegistry.h"
#include "support/FixedClock.h"
#include "support/PlantedFile.h"
#include "support/ServiceRig.h"

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

class TestLaptopFamilies : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void everyFamilyHasAFixture_data();
    void everyFamilyHasAFixture();
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
    void behaviourHoldsThroughADay();
    void chargeAllowedAgain_data();
    void chargeAllowedAgain();
    void holdingStaysOnTheAdapter();
    void firmwareIgnoringIsReported_data();
    void firmwareIgnoringIsReported();
    void scheduleWithoutEighty();
    void restoreGivesTheBatteryBack_data();
    void restoreGivesTheBatteryBack();

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
        return m_rig.service().call(method).arguments().value(0).value<uchar>();
    }
    QVariant property(const QString &name) const;
    // BAT0's charge_behaviour, the active word.
    QString behaviour() const
    {
        return ThresholdControls::readMode(m_rig.sysfs().supplyPath("BAT0") + "/charge_behaviour")
            .value_or("(fehlt)");
    }
    // A battery on the adapter, inhibited at 75 %.
    void holdAt75(int charge);

    // Session mode: the caller is the same user, no polkit.
    ServiceRig m_rig{ServiceRig::Mode::Session};
    std::unique_ptr<QTemporaryDir> m_etc;
};

void TestLaptopFamilies::initTestCase()
{
    qDBusRegisterMetaType<MockMethod>();
    qDBusRegisterMetaType<QList<MockMethod>>();
    QVERIFY2(m_rig.start(), "dbus-daemon did not start");
}

void TestLaptopFamilies::init()
{
    m_rig.renew();
    m_etc = std::make_unique<QTemporaryDir>();
}

void TestLaptopFamilies::cleanup()
{
    m_rig.service().stop();
}

QByteArray TestLaptopFamilies::value(const QString &attribute) const
{
    const QString path = attribute.startsWith(u'/')
                             ? m_rig.sysfs().root() + attribute
                             : m_rig.sysfs().root() + "/class/power_supply/" + attribute;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(4096).trimmed() : QByteArray("(fehlt)");
}

void TestLaptopFamilies::expect(const QStringList &assignments) const
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

QString TestLaptopFamilies::check(int *exitCode, bool withBus) const
{
    QProcess process;
    QProcessEnvironment environment =
        withBus ? m_rig.bus().environment() : QProcessEnvironment::systemEnvironment();
    environment.insert("VOLTQUILL_SYSFS_ROOT", m_rig.sysfs().root());
    environment.insert("VOLTQUILL_ETC_ROOT", m_etc->path());
    environment.insert("VOLTQUILL_STATE_DIR", m_rig.stateDir());
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

void TestLaptopFamilies::everyFamilyHasAFixture_data()
{
    QTest::addColumn<QString>("family");

    for (const LaptopFamily &family : FamilyFixtures::families())
        QTest::newRow(qPrintable(family.id)) << family.id;
}

// A family added to the table without a fixture fails here, and a fixture
// --check takes for another family.
void TestLaptopFamilies::everyFamilyHasAFixture()
{
    QFETCH(QString, family);

    QVERIFY2(FamilyFixtures::lay(m_rig.sysfs(), family),
             qPrintable("no fixture in FamilyFixtures for " + family));
    int exitCode = -1;
    const QString report = check(&exitCode);
    QCOMPARE(exitCode, 0);
    QVERIFY2(report.split(u'\n').contains("Familie: " + FamilyFixtures::family(family).name),
             qPrintable(report));
}

void TestLaptopFamilies::offeredAndWritten_data()
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
    QTest::newRow("generic driver")
        << LaptopFamily::generic().id << "Treiber mit charge_control_end_threshold" << Default << 80
        << QStringList{"BAT0/charge_control_end_threshold=80"}
        << QStringList{"BAT0/charge_control_end_threshold=100"};
    QTest::newRow("ideapad: conservation mode as charge_types Long_Life")
        << "ideapad"
        << "Lenovo IdeaPad/Yoga/Legion (ideapad_laptop, charge_types)" << QList<int>{60, 100} << 60
        << QStringList{"BAT0/charge_types=Long_Life"} << QStringList{"BAT0/charge_types=Standard"};
    QTest::newRow("ideapad: conservation_mode on the platform device")
        << "ideapad-switch"
        << "Lenovo IdeaPad/Yoga/Legion (ideapad_laptop, conservation_mode)" << QList<int>{60, 100}
        << 60 << QStringList{"/bus/platform/devices/VPC2004:00/conservation_mode=1"}
        << QStringList{"/bus/platform/devices/VPC2004:00/conservation_mode=0"};
    QTest::newRow("charge_behaviour only: the service stops the charge")
        << LaptopFamily::behaviour().id
        << "Treiber mit charge_behaviour (Ladestopp durch den Dienst)" << Default << 80
        << QStringList{"BAT0/charge_behaviour=inhibit-charge"}
        << QStringList{"BAT0/charge_behaviour=auto"};
    QTest::newRow("legacy names") << LaptopFamily::legacy().id
                                  << "Treiber mit charge_stop_threshold (ältere Namen)" << Default
                                  << 60
                                  << QStringList{"BAT0/charge_start_threshold=55",
                                                 "BAT0/charge_stop_threshold=60"}
                                  << QStringList{"BAT0/charge_stop_threshold=100"};
}

void TestLaptopFamilies::offeredAndWritten()
{
    QFETCH(QString, family);
    QFETCH(QString, name);
    QFETCH(QList<int>, offered);
    QFETCH(int, limit);
    QFETCH(QStringList, limited);
    QFETCH(QStringList, unlimited);

    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), family));

    // --check first: it names the family and the limits, and writes nothing.
    const auto before = m_rig.sysfs().snapshot();
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
    QCOMPARE(m_rig.sysfs().snapshot(), before);

    QVERIFY(m_rig.service().start());
    QCOMPARE(m_rig.service().call("AvailableLimits").arguments().value(0).toByteArray(),
             bytes(offered));

    QDBusMessage reply = m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(limit))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    expect(limited);
    QCOMPARE(answer("Limit"), uchar(limit));

    reply = m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(100))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    expect(unlimited);
    QCOMPARE(answer("Limit"), uchar(100));
}

void TestLaptopFamilies::refusalShowsInGerman_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<uchar>("limit"); // the lowest the family offers
    QTest::addColumn<QString>("message");

    // The refused value: the end itself, or the start lowered below it (the
    // fixtures' starts sit above every limit) before the end is written.
    const auto row = [](const char *tag, const QString &id, const QString &message) {
        const LaptopFamily &family = FamilyFixtures::family(id);
        const int limit = family.offeredLimits().constFirst();
        const int start = family.startFor(limit, 100);
        QTest::newRow(tag) << id << uchar(limit)
                           << QString(message)
                                  .replace("{limit}", QString::number(limit))
                                  .replace("{start}", QString::number(start))
                                  .replace("{on}", QString::number(family.switchOn));
    };
    const QString end = QStringLiteral("%1 hat charge_control_end_threshold = {limit} abgelehnt.");
    const QString start = QStringLiteral("BAT0 hat %1 = {start} abgelehnt.");
    const QString mode = QStringLiteral(
        "%1 hat %2 = Custom abgelehnt: ohne diesen Lademodus wirkt die Ladeschwelle nicht.");
    row("thinkpad", "thinkpad", start.arg("charge_control_start_threshold"));
    row("dell", "dell", mode.arg("BAT0", "charge_types"));
    row("wilco (Long Life set in the factory)", "wilco", mode.arg("wilco-charger", "charge_type"));
    row("asus", "asus", end.arg("BAT0"));
    row("huawei", "huawei", end.arg("BAT0"));
    row("lg", "lg", end.arg("BAT0"));
    row("toshiba", "toshiba", end.arg("BAT1"));
    row("galaxybook", "galaxybook", end.arg("BAT1"));
    row("msi", "msi", end.arg("BAT1"));
    row("system76", "system76", start.arg("charge_control_start_threshold"));
    row("framework", "framework", end.arg("BAT1"));
    row("apple", "apple", end.arg("macsmc-battery"));
    row("sony", "sony",
        QStringLiteral("sony-laptop hat battery_care_limiter = {limit} abgelehnt."));
    row("generic", LaptopFamily::generic().id, end.arg("BAT0"));
    row("legacy", LaptopFamily::legacy().id, start.arg("charge_start_threshold"));
    // (charge_types and charge_behaviour must be read to be offered: a link
    // in their place, the only refusal a fake tree run as root can play,
    // takes the family away rather than refusing a write.)
    row("ideapad-switch", "ideapad-switch",
        QStringLiteral("VPC2004:00 hat conservation_mode = {on} abgelehnt."));
}

void TestLaptopFamilies::refusalShowsInGerman()
{
    QFETCH(QString, family);
    QFETCH(uchar, limit);
    QFETCH(QString, message);

    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), family));
    // Every write to it fails, as a driver's refusal does.
    const QString refusing = m_rig.sysfs().root() + u'/' + FamilyFixtures::refusing(family);
    QVERIFY(QFile::remove(refusing));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), refusing));
    QVERIFY(m_rig.service().start());
    const QByteArray offered =
        m_rig.service().call("AvailableLimits").arguments().value(0).toByteArray();
    QVERIFY(offered.contains(char(limit)));

    const QDBusMessage reply = m_rig.service().call("SetLimit", {QVariant::fromValue(limit)});
    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), QStringLiteral("org.voltquill.Charge1.Error.WriteFailed"));
    QCOMPARE(reply.errorMessage(), message);
    // No limit is claimed that the battery does not keep.
    QCOMPARE(answer("Limit"), uchar(100));
    QCOMPARE(m_rig.service().call("IsEnabled").arguments().value(0).toBool(), false);
    // Nor later: a write refused half-way (the end taken, the start refused)
    // is not adopted as another program's limit by the retry after it.
    QTest::qWait(600); // three retries of the service
    QCOMPARE(answer("Limit"), uchar(100));
    QCOMPARE(m_rig.service().call("IsEnabled").arguments().value(0).toBool(), false);
}

void TestLaptopFamilies::checkNamesWhatStandsInTheWay_data()
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
    QTest::newRow("ideapad without its conservation mode")
        << "old ideapad" << QByteArray() << QByteArray() << 1
        << QStringList{"Grund: Der Treiber ideapad_laptop ist geladen, bietet aber keine "
                       "Ladeschwelle (charge_types mit Long_Life oder conservation_mode fehlt)"}
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

void TestLaptopFamilies::checkNamesWhatStandsInTheWay()
{
    QFETCH(QString, tree);
    QFETCH(QByteArray, tlpConf);
    QFETCH(QByteArray, dropIn);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);
    QFETCH(QString, absent);

    if (tree == u"none") {
        m_rig.sysfs().addAdapter(true);
    } else if (tree == u"bare") {
        m_rig.sysfs().addSupply("BAT0", {{"type", "Battery"}, {"capacity", "60"}});
    } else if (tree == u"old dell" || tree == u"old ideapad") {
        m_rig.sysfs().addModule(tree == u"old dell" ? "dell_laptop" : "ideapad_laptop");
        m_rig.sysfs().addSupply("BAT0", {{"type", "Battery"}, {"capacity", "60"}});
    } else {
        QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), tree));
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

void TestLaptopFamilies::upowerThresholdSwitch_data()
{
    QTest::addColumn<bool>("enabled");

    QTest::newRow("switched on") << true;
    QTest::newRow("switched off") << false;
}

void TestLaptopFamilies::upowerThresholdSwitch()
{
    QFETCH(bool, enabled);

    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), "thinkpad"));
    // UPower's battery objects, played by python3-dbusmock on the private bus.
    QProcess upower;
    upower.setProcessEnvironment(m_rig.bus().environment());
    upower.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    upower.start("/usr/bin/python3", {"-m", "dbusmock", "--system", "org.freedesktop.UPower",
                                      "/org/freedesktop/UPower", "org.freedesktop.UPower"});
    QVERIFY(m_rig.bus().waitForName("org.freedesktop.UPower"));
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
        const QDBusMessage reply = m_rig.connection().call(add);
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    int code = -1;
    const QString report = check(&code, true);
    upower.terminate();
    upower.waitForFinished(5000);
    QCOMPARE(code, 0);
    QCOMPARE(report.contains("Achtung: UPower hält ebenfalls eine Ladeschwelle"), enabled);
}

void TestLaptopFamilies::modeFoundSurvivesRestart()
{
    // A laptop that was in Adaptive before the limit came.
    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), "dell"));
    m_rig.sysfs().write("BAT0", "charge_types", "Trickle Fast Standard [Adaptive] Custom");
    QVERIFY(m_rig.service().start());
    QCOMPARE(m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(80))}).type(),
             QDBusMessage::ReplyMessage);
    expect({"BAT0/charge_types=Custom"});

    m_rig.service().stop(); // a reboot
    QVERIFY(m_rig.service().start());
    QCOMPARE(answer("Limit"), uchar(80));
    QCOMPARE(m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(100))}).type(),
             QDBusMessage::ReplyMessage);
    expect({"BAT0/charge_types=Adaptive", "BAT0/charge_control_end_threshold=100"});

    // Nothing left to switch back to: the state file forgets the mode.
    QFile state(m_rig.stateFile("state.json"));
    QVERIFY(state.open(QIODevice::ReadOnly));
    const QJsonObject stored = QJsonDocument::fromJson(state.readAll()).object();
    QCOMPARE(stored.value("limit").toInt(), 100);
    QVERIFY(!stored.contains("modes"));
}

void TestLaptopFamilies::stateFileWithoutModesStillLoads()
{
    // Written by an older version: no modes. At boot the firmware is in
    // Standard with the threshold at 80, which does nothing there.
    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), "dell"));
    m_rig.sysfs().write("BAT0", "charge_control_end_threshold", "80");
    FakeSysfs::writeFile(m_rig.stateFile("state.json"), R"({"limit":80,"suspended":false})");
    QVERIFY(m_rig.service().start());

    QTRY_COMPARE(value("BAT0/charge_types"), QByteArray("Custom"));
    QCOMPARE(answer("Limit"), uchar(80));
    QCOMPARE(m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(100))}).type(),
             QDBusMessage::ReplyMessage);
    expect({"BAT0/charge_types=Standard"});
}

void TestLaptopFamilies::tamperedModeIsNotWritten_data()
{
    QTest::addColumn<QByteArray>("modes");

    QTest::newRow("two lines") << QByteArray(R"({"BAT0": "Standard\nFast"})");
    QTest::newRow("a path") << QByteArray(R"({"BAT0": "../../module/x"})");
    QTest::newRow("very long") << QByteArray(R"({"BAT0": ")" + QByteArray(300, 'A') + "\"}");
    QTest::newRow("a number") << QByteArray(R"({"BAT0": 5})");
    QTest::newRow("not an object") << QByteArray(R"(["Standard"])");
}

void TestLaptopFamilies::tamperedModeIsNotWritten()
{
    QFETCH(QByteArray, modes);

    // A limit in force, and a hand-edited state file naming the mode found.
    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), "dell"));
    m_rig.sysfs().write("BAT0", "charge_types", "Trickle Fast Standard Adaptive [Custom]");
    m_rig.sysfs().write("BAT0", "charge_control_end_threshold", "80");
    FakeSysfs::writeFile(m_rig.stateFile("state.json"),
                         R"({"limit":80,"suspended":false,"modes":)" + modes + "}");
    QVERIFY(m_rig.service().start());
    QCOMPARE(answer("Limit"), uchar(80));

    const QDBusMessage reply = m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(100))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    // The limit is gone; the mode stays as it is rather than take a stranger.
    expect({"BAT0/charge_control_end_threshold=100",
            "BAT0/charge_types=Trickle Fast Standard Adaptive [Custom]"});
}

void TestLaptopFamilies::checkSkipsStrangeTlpFiles_data()
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

void TestLaptopFamilies::checkSkipsStrangeTlpFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, plant);

    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), QStringLiteral("thinkpad")));
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

QVariant TestLaptopFamilies::property(const QString &name) const
{
    QDBusMessage get = QDBusMessage::createMethodCall(ChargeBus::serviceName, ChargeBus::objectPath,
                                                      "org.freedesktop.DBus.Properties", "Get");
    get << ChargeBus::interfaceName << name;
    return m_rig.connection()
        .call(get, QDBus::Block, 5000)
        .arguments()
        .value(0)
        .value<QDBusVariant>()
        .variant();
}

void TestLaptopFamilies::behaviourHoldsThroughADay()
{
    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), LaptopFamily::behaviour().id));
    int charge = 50;
    m_rig.sysfs().write("BAT0", "capacity", QByteArray::number(charge));
    QVERIFY(m_rig.service().start());
    QCOMPARE(m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(75))}).type(),
             QDBusMessage::ReplyMessage);
    QCOMPARE(property("HeldBy").toString(), QStringLiteral("behaviour"));

    // The battery as a firmware plays it: on the adapter it gains a point a
    // step while charge_behaviour lets it and loses one while inhibited (the
    // worst drift), on battery it loses one a step.
    struct Phase {
        bool plugged;
        int steps;
    };
    const QList<Phase> day{{true, 40}, {false, 12}, {true, 25}, {false, 30}, {true, 30}};
    QString expected = QStringLiteral("auto");
    int highest = charge;
    int inhibited = 0;
    int released = 0;
    for (const Phase &phase : day) {
        m_rig.sysfs().write("AC", "online", phase.plugged ? "1" : "0");
        for (int step = 0; step < phase.steps; ++step) {
            const bool charging = phase.plugged && behaviour() == u"auto";
            charge += charging ? 1 : -1;
            m_rig.sysfs().write("BAT0", "status",
                                charging        ? "Charging"
                                : phase.plugged ? "Not charging"
                                                : "Discharging");
            m_rig.sysfs().write("BAT0", "capacity", QByteArray::number(charge));
            highest = std::max(highest, charge);
            // Inhibited from 75, allowed again from 72, left alone between.
            const QString before = expected;
            if (charge >= 75)
                expected = QStringLiteral("inhibit-charge");
            else if (charge <= 72)
                expected = QStringLiteral("auto");
            inhibited += before != expected && charge >= 75;
            released += before != expected && charge <= 72;
            QTRY_COMPARE(behaviour(), expected);
        }
    }
    QVERIFY2(highest <= 76, qPrintable(QString::number(highest)));
    QVERIFY(inhibited >= 3);
    QVERIFY(released >= 3);
    QCOMPARE(answer("Limit"), uchar(75));

    // Inhibited at the limit on the adapter, the tray tells it as it is:
    // the limit is the service's (no threshold to read), and it holds.
    m_rig.sysfs().write("AC", "online", "1");
    m_rig.sysfs().write("BAT0", "status", "Not charging");
    m_rig.sysfs().write("BAT0", "capacity", "75");
    QTRY_COMPARE(behaviour(), QStringLiteral("inhibit-charge"));
    QTemporaryDir home;
    BoundSettings settings(home.filePath("settings.json"));
    ChargeLimit chargeLimit(ChargeClientFactory::create(m_rig.connection(), m_rig.sysfs().root()));
    SysfsBatteryRegistry registry(m_rig.sysfs().root());
    FixedClock clock;
    AppState state(chargeLimit, registry, clock);
    QCOMPARE(state.statusLine(), QStringLiteral("Akku 75 % – Limit erreicht, hält"));
    QCOMPARE(state.limitLine(), QStringLiteral("Ladelimit 75 % aktiv"));
}

void TestLaptopFamilies::holdAt75(int charge)
{
    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), LaptopFamily::behaviour().id));
    m_rig.sysfs().write("BAT0", "capacity", QByteArray::number(charge));
}

void TestLaptopFamilies::chargeAllowedAgain_data()
{
    QTest::addColumn<QString>("event");

    QTest::newRow("limit off") << "off";
    QTest::newRow("full charge once") << "full";
    QTest::newRow("unit stopped") << "stop";
    // A crash leaves the charge inhibited; the next start allows it where
    // the battery has sunk below the release meanwhile.
    QTest::newRow("start after a crash, discharged meanwhile") << "crash";
}

void TestLaptopFamilies::chargeAllowedAgain()
{
    QFETCH(QString, event);

    holdAt75(80);
    QVERIFY(m_rig.service().start());
    QCOMPARE(m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(75))}).type(),
             QDBusMessage::ReplyMessage);
    QCOMPARE(behaviour(), QStringLiteral("inhibit-charge"));

    if (event == u"off") {
        QCOMPARE(m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(100))}).type(),
                 QDBusMessage::ReplyMessage);
    } else if (event == u"full") {
        QCOMPARE(m_rig.service().call("SuspendUntilUnplugged").type(), QDBusMessage::ReplyMessage);
        QCOMPARE(answer("Limit"), uchar(100));
    } else if (event == u"stop") {
        m_rig.service().stop();
        QCOMPARE(m_rig.service().endDescription(), QStringLiteral("exited with 0"));
    } else {
        m_rig.service().kill();
        QCOMPARE(behaviour(), QStringLiteral("inhibit-charge"));
        m_rig.sysfs().write("BAT0", "capacity", "60");
        QVERIFY(m_rig.service().start());
        QCOMPARE(answer("Limit"), uchar(75));
    }
    QCOMPARE(behaviour(), QStringLiteral("auto"));
}

void TestLaptopFamilies::holdingStaysOnTheAdapter()
{
    holdAt75(80);
    QVERIFY(m_rig.service().start({"--exit-when-idle", "1"}));
    QCOMPARE(m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(75))}).type(),
             QDBusMessage::ReplyMessage);
    // Past its idle time on the adapter: still there, still holding.
    QTest::qWait(1500);
    QVERIFY(m_rig.service().isRunning());
    QCOMPARE(behaviour(), QStringLiteral("inhibit-charge"));
    // On battery it may leave, and leaves the charge allowed behind it.
    m_rig.sysfs().write("AC", "online", "0");
    QTRY_VERIFY_WITH_TIMEOUT(!m_rig.service().isRunning(), 5000);
    QCOMPARE(behaviour(), QStringLiteral("auto"));
}

void TestLaptopFamilies::firmwareIgnoringIsReported_data()
{
    QTest::addColumn<bool>("withBehaviour"); // the battery has charge_behaviour
    QTest::addColumn<int>("charge");
    QTest::addColumn<bool>("reported");

    QTest::newRow("threshold only: reported") << false << 83 << true;
    QTest::newRow("with charge_behaviour: held through it") << true << 83 << true;
    QTest::newRow("two points above: the firmware's play") << true << 82 << false;
}

void TestLaptopFamilies::firmwareIgnoringIsReported()
{
    QFETCH(bool, withBehaviour);
    QFETCH(int, charge);
    QFETCH(bool, reported);

    constexpr int watchMs = 300;
    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), LaptopFamily::generic().id));
    if (withBehaviour)
        m_rig.sysfs().write("BAT0", "charge_behaviour", "[auto] inhibit-charge force-discharge");
    qputenv("VOLTQUILL_OVERSHOOT_MS", QByteArray::number(watchMs));
    const bool started = m_rig.service().start();
    qunsetenv("VOLTQUILL_OVERSHOOT_MS");
    QVERIFY(started);
    QCOMPARE(m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(80))}).type(),
             QDBusMessage::ReplyMessage);
    QCOMPARE(property("HeldBy").toString(), QStringLiteral("threshold"));

    // The driver took 80; the battery charges on past it.
    QElapsedTimer since;
    since.start();
    m_rig.sysfs().write("BAT0", "status", "Charging");
    m_rig.sysfs().write("BAT0", "capacity", QByteArray::number(charge));
    if (!reported) {
        QTest::qWait(3 * watchMs);
        QCOMPARE(property("FirmwareIgnoresLimit").value<uchar>(), uchar(0));
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(property("FirmwareIgnoresLimit").value<uchar>(), uchar(80), 5000);
    QVERIFY2(since.elapsed() >= watchMs - 50, qPrintable(QString::number(since.elapsed())));
    const QString way = withBehaviour ? "behaviour" : "threshold";
    QCOMPARE(property("HeldBy").toString(), way);
    if (withBehaviour)
        QCOMPARE(behaviour(), QStringLiteral("inhibit-charge"));
    // The limit itself stays what the driver took.
    QCOMPARE(answer("Limit"), uchar(80));
    // The agent's warning, through its client.
    {
        QTemporaryDir home;
        BoundSettings settings(home.filePath("settings.json"));
        ChargeLimit chargeLimit(
            ChargeClientFactory::create(m_rig.connection(), m_rig.sysfs().root()));
        FakeBatteryRegistry registry;
        FixedClock clock;
        AppState state(chargeLimit, registry, clock);
        QCOMPARE(state.firmwareLine(),
                 std::optional<QString>(
                     "⚠ Die Firmware hält das Ladelimit nicht ein (Akku lädt über 80 %)."));
    }

    // Kept across a restart, and told by --check.
    m_rig.service().stop();
    QVERIFY(m_rig.service().start());
    QCOMPARE(property("FirmwareIgnoresLimit").value<uchar>(), uchar(80));
    QCOMPARE(property("HeldBy").toString(), way);
    int code = -1;
    const QString report = check(&code);
    QVERIFY2(report.contains(QStringLiteral("Beobachtet: Die Firmware hat das Ladelimit von 80 % "
                                            "nicht eingehalten (BAT0 lud am Netzteil auf %1 %")
                                 .arg(charge)),
             qPrintable(report));
}

void TestLaptopFamilies::scheduleWithoutEighty()
{
    // The firmware switch holds 60 or nothing: the schedule's default of 80
    // must still set a limit.
    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), "ideapad-switch"));
    QVERIFY(m_rig.service().start());
    QTemporaryDir home;
    BoundSettings settings(home.filePath("settings.json"));
    Prefs::setScheduleOn(true);
    ChargeLimit chargeLimit(ChargeClientFactory::create(m_rig.connection(), m_rig.sysfs().root()));
    FakeBatteryRegistry registry;
    FixedClock clock;
    AppState state(chargeLimit, registry, clock);
    state.refresh();
    QCOMPARE(state.options(), (QList<qint64>{60, 100}));
    QCOMPARE(state.scheduleLine(), std::optional<QString>("Zeitplan: heute 60 %"));

    Scheduler::apply(clock.now(), state.options(), [&](qint64 limit) { state.setLimit(limit); });
    QCOMPARE(state.error(), std::nullopt);
    QCOMPARE(state.limit(), qint64(60));
    QCOMPARE(state.limitLine(), QStringLiteral("Schonmodus der Firmware aktiv (etwa 60 %)"));
    expect({"/bus/platform/devices/VPC2004:00/conservation_mode=1"});
}

void TestLaptopFamilies::restoreGivesTheBatteryBack_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QStringList>("found"); // written before the service ran
    QTest::addColumn<int>("limit");         // set through the service; 0: a state file
    QTest::addColumn<QStringList>("restored");

    QTest::newRow("thinkpad: the thresholds found")
        << "thinkpad"
        << QStringList{"BAT0/charge_control_start_threshold=85",
                       "BAT0/charge_control_end_threshold=90",
                       "BAT1/charge_control_start_threshold=85",
                       "BAT1/charge_control_end_threshold=90"}
        << 80
        << QStringList{
               "BAT0/charge_control_start_threshold=85", "BAT0/charge_control_end_threshold=90",
               "BAT1/charge_control_start_threshold=85", "BAT1/charge_control_end_threshold=90"};
    QTest::newRow("dell: the mode found")
        << "dell" << QStringList{"BAT0/charge_types=Trickle Fast Standard [Adaptive] Custom"} << 80
        << QStringList{"BAT0/charge_types=Adaptive", "BAT0/charge_control_end_threshold=100"};
    QTest::newRow("ideapad: the switch off again")
        << "ideapad-switch" << QStringList{} << 60
        << QStringList{"/bus/platform/devices/VPC2004:00/conservation_mode=0"};
    QTest::newRow("charge_behaviour: the charge allowed")
        << LaptopFamily::behaviour().id << QStringList{} << 80
        << QStringList{"BAT0/charge_behaviour=auto"};
    // An older version kept nothing: no limit is the driver's default.
    QTest::newRow("nothing kept: no limit")
        << LaptopFamily::generic().id << QStringList{"BAT0/charge_control_end_threshold=80"} << 0
        << QStringList{"BAT0/charge_control_end_threshold=100"};
}

void TestLaptopFamilies::restoreGivesTheBatteryBack()
{
    QFETCH(QString, family);
    QFETCH(QStringList, found);
    QFETCH(int, limit);
    QFETCH(QStringList, restored);

    QVERIFY(FamilyFixtures::lay(m_rig.sysfs(), family));
    for (const QString &assignment : found)
        m_rig.sysfs().write(assignment.section(u'/', 0, 0),
                            assignment.section(u'/', 1).section(u'=', 0, 0).toLatin1(),
                            assignment.section(u'=', 1).toLatin1());
    if (limit > 0) {
        QVERIFY(m_rig.service().start());
        const QDBusMessage reply =
            m_rig.service().call("SetLimit", {QVariant::fromValue(uchar(limit))});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        // Gone as at a crash: nothing it does on stopping counts.
        m_rig.service().kill();
    } else {
        FakeSysfs::writeFile(m_rig.stateFile("state.json"), R"({"limit":80,"suspended":false})");
    }

    QProcess restore;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VOLTQUILL_SYSFS_ROOT", m_rig.sysfs().root());
    environment.insert("VOLTQUILL_STATE_DIR", m_rig.stateDir());
    restore.setProcessEnvironment(environment);
    restore.start(ServiceProcess::binary(), {QStringLiteral("--restore")});
    QVERIFY(restore.waitForFinished(10000));
    const QString output = QString::fromUtf8(restore.readAllStandardOutput());
    QCOMPARE(restore.exitCode(), 0);
    QVERIFY2(output.startsWith("voltquill: Akkus zurückgesetzt, wie sie vor Voltquill waren: "),
             qPrintable(output));
    expect(restored);

    // Twice is harmless: nothing left to do.
    restore.start(ServiceProcess::binary(), {QStringLiteral("--restore")});
    QVERIFY(restore.waitForFinished(10000));
    QCOMPARE(restore.exitCode(), 0);
    QVERIFY(restore.readAllStandardOutput().contains("nichts zurückzusetzen"));
}

QTEST_GUILESS_MAIN(TestLaptopFamilies)
#include "tst_laptopfamilies.moc"
