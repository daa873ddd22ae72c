// SPDX-License-Identifier: GPL-3.0-or-later
// The charge service over a private bus standing in for the system bus, with
// polkit played by python3-dbusmock's polkitd template.
#include "shared/ChargeBus.h"
#include "support/ServiceRig.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

namespace
{
const QString ErrorPrefix = ChargeBus::interfaceName + QStringLiteral(".Error.");

// The attribute writes into one folder, in the order they happened.
class WriteRecorder
{
public:
    explicit WriteRecorder(const QString &directory) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        inotify_add_watch(m_fd, QFile::encodeName(directory).constData(), IN_CLOSE_WRITE);
    }
    ~WriteRecorder() { ::close(m_fd); }

    QStringList writes()
    {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t size; (size = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->len > 0)
                    m_names << QString::fromLatin1(event->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return m_names;
    }

private:
    int m_fd;
    QStringList m_names;
};

// Received PropertiesChanged signals.
class PropertyLog : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> changes;
public Q_SLOTS:
    void changed(const QString &, const QVariantMap &properties, const QStringList &)
    {
        changes << properties;
    }
};
} // namespace

class TestChargeService : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void refusedCallsChangeNothing_data();
    void refusedCallsChangeNothing();
    void unsavedStateIsReported();
    void commands_data();
    void commands();
    void writeOrderWithStartThreshold_data();
    void writeOrderWithStartThreshold();
    void everySystemBatteryAlike();
    void offeredLimits_data();
    void offeredLimits();
    void suspensionEndsWhenUnplugged_data();
    void suspensionEndsWhenUnplugged();
    void restoredAfterRestart_data();
    void restoredAfterRestart();
    void reappliedAfterDriverReset();
    void everyResetIsPutBack();
    void driverThatKeepsAnotherValueIsNotFought();
    void burstOfEventsDoesNotDelayPuttingBack();
    void outsideChangeRule_data();
    void outsideChangeRule();
    void suspensionThatOutlivedAnUnplug_data();
    void suspensionThatOutlivedAnUnplug();
    void adoptsWhatTheDriverKeeps();
    void tamperedStateInjectsNothing_data();
    void tamperedStateInjectsNothing();
    void reappliedAfterResume();
    void busPolicy();
    void exitsWhenIdle_data();
    void exitsWhenIdle();
    void logFollowsRules_data();
    void logFollowsRules();

private:
    void allow(bool allowed);
    void keepState(int limit, bool suspended);
    void startService();
    // One battery, the adapter plugged in, the service started and holding `limit`.
    bool holding(uchar limit);
    QByteArray threshold(const QString &battery = QStringLiteral("BAT0")) const
    {
        return m_rig->sysfs().read(battery, "charge_control_end_threshold");
    }
    QVariant answer(const QString &method) const
    {
        const QDBusMessage reply = m_rig->service().call(method);
        return reply.arguments().value(0);
    }

    std::unique_ptr<ServiceRig> m_rig;
    QProcess m_logind;
};

void TestChargeService::initTestCase()
{
    m_rig = std::make_unique<ServiceRig>(ServiceRig::Mode::System);
    QVERIFY2(m_rig->start(), "dbus-daemon did not start");
    QVERIFY2(m_rig->polkit().startMock(), "python3-dbusmock's polkitd did not come up");
    QVERIFY2(m_rig->bus().startMock(m_logind, QStringLiteral("logind"),
                                    QStringLiteral("org.freedesktop.login1")),
             "python3-dbusmock's logind did not come up");
}

void TestChargeService::cleanupTestCase()
{
    m_logind.terminate();
    m_logind.waitForFinished(5000);
    m_rig.reset();
}

void TestChargeService::init()
{
    m_rig->renew();
    allow(true);
}

void TestChargeService::cleanup()
{
    m_rig->service().stop();
}

void TestChargeService::allow(bool allowed)
{
    QVERIFY2(m_rig->polkit().allow(allowed), "the polkit mock did not take what it allows");
}

void TestChargeService::keepState(int limit, bool suspended)
{
    QFile file(m_rig->stateFile(QStringLiteral("state.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("limit"), limit},
                                         {QStringLiteral("suspended"), suspended}})
                   .toJson());
}

void TestChargeService::startService()
{
    QVERIFY(m_rig->service().start());
}

bool TestChargeService::holding(uchar limit)
{
    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    return m_rig->service().start() &&
           m_rig->service().call(QStringLiteral("SetLimit"), {QVariant::fromValue(limit)}).type() ==
               QDBusMessage::ReplyMessage;
}

void TestChargeService::refusedCallsChangeNothing_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("limit"); // -1: the call takes none
    QTest::addColumn<int>("keptLimit");
    QTest::addColumn<bool>("suspended");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QString>("tree"); // "", "two-step", "no-threshold" or "refusing"
    QTest::addColumn<QString>("error");

    QTest::newRow("limit 0") << "SetLimit" << 0 << 100 << false << true << ""
                             << "InvalidLimit";
    QTest::newRow("limit 101") << "SetLimit" << 101 << 100 << false << true << ""
                               << "InvalidLimit";
    QTest::newRow("limit 255") << "SetLimit" << 255 << 100 << false << true << ""
                               << "InvalidLimit";
    QTest::newRow("limit not offered") << "SetLimit" << 73 << 100 << false << true << ""
                                       << "InvalidLimit";
    QTest::newRow("below the offered range") << "SetLimit" << 50 << 100 << false << true << ""
                                             << "InvalidLimit";
    QTest::newRow("85 on a driver of 80 and 100")
        << "SetLimit" << 85 << 100 << false << true << "two-step"
        << "InvalidLimit";
    QTest::newRow("suspension without a limit")
        << "SuspendUntilUnplugged" << -1 << 100 << false << true << ""
        << "NoLimit";
    QTest::newRow("no battery with a threshold")
        << "SetLimit" << 80 << 100 << false << true << "no-threshold"
        << "NotSupported";
    QTest::newRow("driver refuses the write")
        << "SetLimit" << 80 << 100 << false << true << "refusing"
        << "WriteFailed";
    QTest::newRow("denied: set") << "SetLimit" << 80 << 100 << false << false << ""
                                 << "NotAuthorized";
    QTest::newRow("denied: remove") << "SetLimit" << 100 << 80 << false << false << ""
                                    << "NotAuthorized";
    QTest::newRow("denied: suspend") << "SuspendUntilUnplugged" << -1 << 80 << false << false << ""
                                     << "NotAuthorized";
    QTest::newRow("denied: enable") << "Enable" << -1 << 80 << true << false << ""
                                    << "NotAuthorized";
}

void TestChargeService::refusedCallsChangeNothing()
{
    QFETCH(QString, method);
    QFETCH(int, limit);
    QFETCH(int, keptLimit);
    QFETCH(bool, suspended);
    QFETCH(bool, allowed);
    QFETCH(QString, tree);
    QFETCH(QString, error);

    if (tree == u"no-threshold")
        m_rig->sysfs().addSupply(QStringLiteral("BAT0"), {{"type", "Battery"}, {"capacity", "60"}});
    else
        m_rig->sysfs().addBattery();
    if (tree == u"two-step")
        m_rig->sysfs().addModule(QStringLiteral("lg_laptop"));
    if (tree == u"refusing") {
        // Every write fails, as a driver's refusal does.
        const QString attribute =
            m_rig->sysfs().supplyPath(QStringLiteral("BAT0")) + "/charge_control_end_threshold";
        QVERIFY(QFile::remove(attribute));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), attribute));
    }
    m_rig->sysfs().addAdapter(true);
    if (keptLimit < 100) {
        keepState(keptLimit, suspended);
        m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold",
                             QByteArray::number(suspended ? 100 : keptLimit));
    }
    allow(allowed);
    startService();
    const auto before = m_rig->sysfs().snapshot(m_rig->stateDir());
    const int limitBefore = answer(QStringLiteral("Limit")).toInt();

    QVariantList arguments;
    if (limit >= 0)
        arguments << QVariant::fromValue(static_cast<uchar>(limit));
    const QDBusMessage reply = m_rig->service().call(method, arguments);

    QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
    QCOMPARE(reply.errorName(), ErrorPrefix + error);
    QVERIFY(!reply.errorMessage().isEmpty());
    QTest::qWait(100); // a stray write would land now
    QCOMPARE(m_rig->sysfs().snapshot(m_rig->stateDir()), before);
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), limitBefore);
}

void TestChargeService::unsavedStateIsReported()
{
    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    // A state folder that cannot be made: a file is in the way.
    QFile blocker(m_rig->stateFile(QStringLiteral("blocked")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_rig->renewService(blocker.fileName());
    startService();

    const QDBusMessage reply =
        m_rig->service().call(QStringLiteral("SetLimit"), {QVariant::fromValue(uchar(80))});
    QCOMPARE(reply.errorName(), ErrorPrefix + "StateNotSaved");
    // The limit holds for now, and the service says so.
    QCOMPARE(threshold(), QByteArray("80"));
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), 80);
}

void TestChargeService::commands_data()
{
    QTest::addColumn<int>("keptLimit");
    QTest::addColumn<bool>("suspended");
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QString>("method");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("threshold");
    QTest::addColumn<int>("answeredLimit");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("set a limit") << 100 << false << true << "SetLimit" << 80 << QByteArray("80")
                                 << 80 << true;
    QTest::newRow("remove the limit")
        << 80 << false << true << "SetLimit" << 100 << QByteArray("100") << 100 << false;
    QTest::newRow("suspend") << 80 << false << true << "SuspendUntilUnplugged" << -1
                             << QByteArray("100") << 100 << true;
    QTest::newRow("enable") << 80 << true << true << "Enable" << -1 << QByteArray("80") << 80
                            << true;
    QTest::newRow("set while suspended")
        << 80 << true << true << "SetLimit" << 75 << QByteArray("75") << 75 << true;
    // Nothing changes: answered before polkit is asked.
    QTest::newRow("same limit, no polkit")
        << 80 << false << false << "SetLimit" << 80 << QByteArray("80") << 80 << true;
    QTest::newRow("enable, nothing suspended")
        << 80 << false << false << "Enable" << -1 << QByteArray("80") << 80 << true;
    QTest::newRow("suspend again, no polkit")
        << 80 << true << false << "SuspendUntilUnplugged" << -1 << QByteArray("100") << 100 << true;
}

void TestChargeService::commands()
{
    QFETCH(int, keptLimit);
    QFETCH(bool, suspended);
    QFETCH(bool, allowed);
    QFETCH(QString, method);
    QFETCH(int, limit);
    QFETCH(QByteArray, threshold);
    QFETCH(int, answeredLimit);
    QFETCH(bool, enabled);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    if (keptLimit < 100)
        keepState(keptLimit, suspended);
    allow(allowed);
    startService();

    QVariantList arguments;
    if (limit >= 0)
        arguments << QVariant::fromValue(static_cast<uchar>(limit));
    const QDBusMessage reply = m_rig->service().call(method, arguments);
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));

    QCOMPARE(this->threshold(), threshold);
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), answeredLimit);
    QCOMPARE(answer(QStringLiteral("IsEnabled")).toBool(), enabled);
    // The properties say the same.
    const auto property = [&](const char *name) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            ChargeBus::serviceName, ChargeBus::objectPath,
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << ChargeBus::interfaceName << QString::fromLatin1(name);
        return m_rig->connection().call(get).arguments().value(0).value<QDBusVariant>().variant();
    };
    QCOMPARE(property("CurrentLimit").toInt(), answeredLimit);
    QCOMPARE(property("Enabled").toBool(), enabled);
    QCOMPARE(property("Suspended").toBool(), threshold == "100" && enabled);
}

void TestChargeService::writeOrderWithStartThreshold_data()
{
    QTest::addColumn<bool>("legacy");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("writes"); // "start=N" / "end=N", in order

    QTest::newRow("end falls to the start: start first")
        << false << 90 << 100 << 80 << QStringList{"start=75", "end=80"};
    QTest::newRow("end stays above the start: end only")
        << false << 40 << 100 << 80 << QStringList{"end=80"};
    QTest::newRow("end rises: end only") << false << 75 << 80 << 100 << QStringList{"end=100"};
    QTest::newRow("legacy names, start first")
        << true << 85 << 90 << 60 << QStringList{"start=55", "end=60"};
}

void TestChargeService::writeOrderWithStartThreshold()
{
    QFETCH(bool, legacy);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, limit);
    QFETCH(QStringList, writes);

    const QByteArray startName =
        legacy ? "charge_start_threshold" : "charge_control_start_threshold";
    const QByteArray endName = legacy ? "charge_stop_threshold" : "charge_control_end_threshold";
    m_rig->sysfs().addSupply(QStringLiteral("BAT0"), {{"type", "Battery"},
                                                      {startName, QByteArray::number(start)},
                                                      {endName, QByteArray::number(end)}});
    if (end < 100)
        keepState(end, false);
    startService();

    WriteRecorder recorder(m_rig->sysfs().supplyPath(QStringLiteral("BAT0")));
    const QDBusMessage reply = m_rig->service().call(
        QStringLiteral("SetLimit"), {QVariant::fromValue(static_cast<uchar>(limit))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));

    QStringList seen;
    for (const QString &name : recorder.writes()) {
        const QByteArray attribute = name.toLatin1();
        if (attribute == startName || attribute == endName)
            seen << QStringLiteral("%1=%2").arg(
                attribute == startName ? "start" : "end",
                QString::fromLatin1(m_rig->sysfs().read(QStringLiteral("BAT0"), attribute)));
    }
    // The recorder sees names in order; the values are the final ones.
    QCOMPARE(seen, writes);
    QVERIFY(m_rig->sysfs().read(QStringLiteral("BAT0"), startName).toInt() < limit);
}

void TestChargeService::everySystemBatteryAlike()
{
    m_rig->sysfs().addBattery(QStringLiteral("BAT0"));
    m_rig->sysfs().addSupply(QStringLiteral("BAT1"),
                             {{"type", "Battery"}, {"charge_stop_threshold", "100"}});
    // A mouse's battery is no laptop battery, even with a threshold.
    m_rig->sysfs().addSupply(
        QStringLiteral("hidpp_battery_0"),
        {{"type", "Battery"}, {"scope", "Device"}, {"charge_control_end_threshold", "100"}});
    m_rig->sysfs().addAdapter(true);
    startService();

    const QDBusMessage reply =
        m_rig->service().call(QStringLiteral("SetLimit"), {QVariant::fromValue(uchar(85))});
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    QCOMPARE(threshold(QStringLiteral("BAT0")), QByteArray("85"));
    QCOMPARE(m_rig->sysfs().read(QStringLiteral("BAT1"), "charge_stop_threshold"),
             QByteArray("85"));
    QCOMPARE(threshold(QStringLiteral("hidpp_battery_0")), QByteArray("100"));
}

void TestChargeService::offeredLimits_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QByteArray>("limits");

    QTest::newRow("default") << QString() << QByteArray("\x3c\x41\x46\x4b\x50\x55\x5a\x5f\x64");
    QTest::newRow("lg_laptop") << "lg_laptop" << QByteArray("\x50\x64");
    QTest::newRow("toshiba_acpi") << "toshiba_acpi" << QByteArray("\x50\x64");
}

void TestChargeService::offeredLimits()
{
    QFETCH(QString, module);
    QFETCH(QByteArray, limits);

    m_rig->sysfs().addBattery();
    if (!module.isEmpty())
        m_rig->sysfs().addModule(module);
    startService();
    QCOMPARE(answer(QStringLiteral("AvailableLimits")).toByteArray(), limits);
    QCOMPARE(answer(QStringLiteral("IsSupported")).toBool(), true);
}

void TestChargeService::suspensionEndsWhenUnplugged_data()
{
    QTest::addColumn<QByteArray>("onlineAtSuspension");
    QTest::addColumn<QByteArrayList>("adapter"); // what `online` reads afterwards
    QTest::addColumn<bool>("suspendedAfter");

    QTest::newRow("unplugged") << QByteArray("1") << QByteArrayList{"0"} << false;
    QTest::newRow("still plugged") << QByteArray("1") << QByteArrayList{"1"} << true;
    QTest::newRow("suspended on battery, then plugged")
        << QByteArray("0") << QByteArrayList{"1"} << true;
    QTest::newRow("suspended on battery, plugged, unplugged")
        << QByteArray("0") << QByteArrayList{"1", "0"} << false;
    // USB-PD: the kernel's "online, programmable" is plugged in.
    QTest::newRow("USB-PD programmable stays plugged")
        << QByteArray("2") << QByteArrayList{"1", "2"} << true;
    QTest::newRow("USB-PD programmable, unplugged")
        << QByteArray("2") << QByteArrayList{"0"} << false;
}

void TestChargeService::suspensionEndsWhenUnplugged()
{
    QFETCH(QByteArray, onlineAtSuspension);
    QFETCH(QByteArrayList, adapter);
    QFETCH(bool, suspendedAfter);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    m_rig->sysfs().write(QStringLiteral("AC"), "online", onlineAtSuspension);
    keepState(80, false);
    startService();
    QCOMPARE(threshold(), QByteArray("80"));

    PropertyLog log;
    QVERIFY(m_rig->connection().connect(ChargeBus::serviceName, ChargeBus::objectPath,
                                        QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("PropertiesChanged"), &log,
                                        SLOT(changed(QString, QVariantMap, QStringList))));

    QCOMPARE(m_rig->service().call(QStringLiteral("SuspendUntilUnplugged")).type(),
             QDBusMessage::ReplyMessage);
    QCOMPARE(threshold(), QByteArray("100"));
    QTRY_COMPARE(log.changes.size(), 1);
    QCOMPARE(log.changes.first().value(QStringLiteral("Suspended")).toBool(), true);
    QCOMPARE(log.changes.first().value(QStringLiteral("CurrentLimit")).toInt(), 100);

    for (const QByteArray &online : adapter) {
        m_rig->sysfs().write(QStringLiteral("AC"), "online", online);
        QTest::qWait(150);
    }
    if (suspendedAfter) {
        QCOMPARE(threshold(), QByteArray("100"));
        QCOMPARE(answer(QStringLiteral("Limit")).toInt(), 100);
    } else {
        QTRY_COMPARE(threshold(), QByteArray("80"));
        QCOMPARE(answer(QStringLiteral("Limit")).toInt(), 80);
        QTRY_COMPARE(log.changes.size(), 2);
        QCOMPARE(log.changes.last().value(QStringLiteral("Suspended")).toBool(), false);
    }
    QCOMPARE(answer(QStringLiteral("IsEnabled")).toBool(), true);
    m_rig->connection().disconnect(ChargeBus::serviceName, ChargeBus::objectPath,
                                   QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"), &log,
                                   SLOT(changed(QString, QVariantMap, QStringList)));
}

void TestChargeService::restoredAfterRestart_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("threshold");
    QTest::addColumn<int>("answeredLimit");

    QTest::newRow("limit") << "SetLimit" << QByteArray("80") << 80;
    QTest::newRow("suspension") << "SuspendUntilUnplugged" << QByteArray("100") << 100;
}

void TestChargeService::restoredAfterRestart()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, threshold);
    QFETCH(int, answeredLimit);

    QVERIFY(holding(80));
    if (command == u"SuspendUntilUnplugged")
        QCOMPARE(m_rig->service().call(command).type(), QDBusMessage::ReplyMessage);

    m_rig->service().stop();
    // A boot: the firmware starts at 80, or the driver wrote 100 at load.
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold",
                         threshold == "80" ? "100" : "80");
    startService();

    QCOMPARE(this->threshold(), threshold);
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), answeredLimit);
    QCOMPARE(answer(QStringLiteral("IsEnabled")).toBool(), true);
}

void TestChargeService::reappliedAfterDriverReset()
{
    QVERIFY(holding(80));
    QTest::qWait(200);

    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QTRY_COMPARE(threshold(), QByteArray("80"));
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), 80);
}

void TestChargeService::adoptsWhatTheDriverKeeps()
{
    QVERIFY(holding(85));
    QCOMPARE(threshold(), QByteArray("85"));

    // Firmware that keeps only multiples of ten rounds the value down.
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "80");
    QTRY_COMPARE(answer(QStringLiteral("Limit")).toInt(), 80);
    QFile state(m_rig->stateFile(QStringLiteral("state.json")));
    QVERIFY(state.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(state.readAll())["limit"].toInt(), 80);
}

void TestChargeService::tamperedStateInjectsNothing_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("250") << QByteArray(R"({"limit": 250, "suspended": false})");
    QTest::newRow("negative") << QByteArray(R"({"limit": -5, "suspended": false})");
    QTest::newRow("huge") << QByteArray(R"({"limit": 1e300, "suspended": false})");
    QTest::newRow("fraction") << QByteArray(R"({"limit": 80.5, "suspended": false})");
    QTest::newRow("text") << QByteArray(R"({"limit": "80", "suspended": false})");
    QTest::newRow("not offered") << QByteArray(R"({"limit": 83, "suspended": false})");
    QTest::newRow("below the offered range") << QByteArray(R"({"limit": 20, "suspended": false})");
    QTest::newRow("suspended as text") << QByteArray(R"({"limit": 80, "suspended": "yes"})");
    QTest::newRow("garbage") << QByteArray("\x01\x02limit=80");
}

void TestChargeService::tamperedStateInjectsNothing()
{
    QFETCH(QByteArray, content);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    QFile file(m_rig->stateFile(QStringLiteral("state.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    startService();

    QCOMPARE(threshold(), QByteArray("100"));
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), 100);
    QCOMPARE(answer(QStringLiteral("IsEnabled")).toBool(), false);
}

void TestChargeService::reappliedAfterResume()
{
    QVERIFY(holding(80));
    QTest::qWait(200);

    // Asleep, the service hears nothing; the firmware forgets the threshold.
    const auto pid = static_cast<pid_t>(m_rig->service().pid());
    ::kill(pid, SIGSTOP);
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QDBusMessage resume = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    resume << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("PrepareForSleep")
           << QStringLiteral("b") << QVariantList{QVariant(false)};
    const QDBusMessage reply = m_rig->connection().call(resume);
    ::kill(pid, SIGCONT);
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    QTRY_COMPARE(threshold(), QByteArray("80"));
}

void TestChargeService::everyResetIsPutBack()
{
    QVERIFY(holding(80));
    QTest::qWait(200);

    // A driver that resets again and again, several times within a second:
    // each reset is written over at once, none is let stand.
    for (int reset = 0; reset < 3; ++reset) {
        m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
        QTRY_COMPARE_WITH_TIMEOUT(threshold(), QByteArray("80"), 500);
        QTest::qWait(150);
    }
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), 80);

    // The service's shortcut for "nothing changes" holds only when the
    // battery agrees: a reset it has not seen yet is written over by the
    // same command, before the answer.
    const auto pid = static_cast<pid_t>(m_rig->service().pid());
    ::kill(pid, SIGSTOP);
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QDBusMessage call =
        QDBusMessage::createMethodCall(ChargeBus::serviceName, ChargeBus::objectPath,
                                       ChargeBus::interfaceName, QStringLiteral("SetLimit"));
    call << QVariant::fromValue(uchar(80));
    QDBusPendingCall pending = m_rig->connection().asyncCall(call, 5000);
    QTest::qWait(100); // the call waits in the service's socket, the reset in its watch
    ::kill(pid, SIGCONT);
    pending.waitForFinished();
    QVERIFY2(!pending.isError(), qPrintable(pending.error().message()));
    QCOMPARE(threshold(), QByteArray("80"));
}

void TestChargeService::driverThatKeepsAnotherValueIsNotFought()
{
    const QString log = m_rig->stateFile(QStringLiteral("charged.log"));
    m_rig->service().logTo(log, QString());
    QVERIFY(holding(80));
    QTest::qWait(200);

    // A driver that puts 100 back after every write the service makes.
    const QString path = m_rig->sysfs().supplyPath(QStringLiteral("BAT0")) +
                         QStringLiteral("/charge_control_end_threshold");
    int written = 0;
    QFileSystemWatcher driver({path});
    connect(&driver, &QFileSystemWatcher::fileChanged, this, [&] {
        if (threshold() != "100") {
            ++written;
            m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
        }
    });
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QTest::qWait(2000);
    // A few tries, then it waits, and says so once.
    QVERIFY2(written >= 1 && written <= 6, qPrintable(QString::number(written)));
    const auto warnings = [&] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count("hält nicht") : -1;
    };
    QCOMPARE(warnings(), 1);

    // Plugging in tries again.
    const int before = written;
    m_rig->sysfs().write(QStringLiteral("AC"), "online", "0");
    QTRY_VERIFY_WITH_TIMEOUT(written > before, 2000);
    QTest::qWait(1000);
    QVERIFY2(written <= before + 6, qPrintable(QString::number(written)));
    QCOMPARE(warnings(), 2);
}

void TestChargeService::burstOfEventsDoesNotDelayPuttingBack()
{
    QVERIFY(holding(80));
    QTest::qWait(200);

    // A flapping adapter (or a chatty driver) raises an event every 5 ms.
    QTimer chatter;
    connect(&chatter, &QTimer::timeout, this,
            [this] { m_rig->sysfs().write(QStringLiteral("AC"), "online", "1"); });
    chatter.start(5);
    QTest::qWait(300);
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QTRY_COMPARE_WITH_TIMEOUT(threshold(), QByteArray("80"), 500);
    chatter.stop();
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), 80);
}

void TestChargeService::outsideChangeRule_data()
{
    QTest::addColumn<bool>("whileRunning"); // else: found at start
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("threshold");
    QTest::addColumn<int>("limit");

    for (const bool running : {true, false}) {
        const char *when = running ? "running" : "at start";
        // Another program's plausible choice holds and becomes the kept limit…
        QTest::addRow("%s: 60 by another program is adopted", when)
            << running << QByteArray("60") << QByteArray("60") << 60;
        // …a driver's reset, or a value the laptop does not offer, does not.
        QTest::addRow("%s: reset to 100 is put back", when)
            << running << QByteArray("100") << QByteArray("80") << 80;
        QTest::addRow("%s: reset to 0 is put back", when)
            << running << QByteArray("0") << QByteArray("80") << 80;
        QTest::addRow("%s: 83, not offered, is put back", when)
            << running << QByteArray("83") << QByteArray("80") << 80;
        QTest::addRow("%s: 4 is put back", when)
            << running << QByteArray("4") << QByteArray("80") << 80;
    }
}

void TestChargeService::outsideChangeRule()
{
    QFETCH(bool, whileRunning);
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, threshold);
    QFETCH(int, limit);

    if (whileRunning) {
        QVERIFY(holding(80));
        QTest::qWait(200);
        m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", written);
    } else {
        m_rig->sysfs().addBattery();
        m_rig->sysfs().addAdapter(true);
        keepState(80, false);
        m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", written);
        startService();
    }
    QTRY_COMPARE(this->threshold(), threshold);
    QTRY_COMPARE(answer(QStringLiteral("Limit")).toInt(), limit);
    // What a restart keeps is what holds.
    m_rig->service().stop();
    startService();
    QCOMPARE(this->threshold(), threshold);
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), limit);
}

void TestChargeService::suspensionThatOutlivedAnUnplug_data()
{
    QTest::addColumn<QByteArray>("online"); // at start
    QTest::addColumn<QByteArray>("threshold");
    QTest::addColumn<bool>("suspended");

    // Charged fully, shut down, unplugged, booted on battery.
    QTest::newRow("on battery at start: ended") << QByteArray("0") << QByteArray("80") << false;
    QTest::newRow("still plugged: kept") << QByteArray("1") << QByteArray("100") << true;
    QTest::newRow("USB-PD programmable: kept") << QByteArray("2") << QByteArray("100") << true;
}

void TestChargeService::suspensionThatOutlivedAnUnplug()
{
    QFETCH(QByteArray, online);
    QFETCH(QByteArray, threshold);
    QFETCH(bool, suspended);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    m_rig->sysfs().write(QStringLiteral("AC"), "online", online);
    keepState(80, true);
    startService();

    QCOMPARE(this->threshold(), threshold);
    QCOMPARE(answer(QStringLiteral("Limit")).toInt(), threshold.toInt());
    QCOMPARE(answer(QStringLiteral("IsEnabled")).toBool(), true);
    // The next plug-in charges to the limit, not to full.
    m_rig->sysfs().write(QStringLiteral("AC"), "online", "1");
    QTest::qWait(150);
    QCOMPARE(this->threshold(), threshold);
    QFile state(m_rig->stateFile(QStringLiteral("state.json")));
    QVERIFY(state.open(QIODevice::ReadOnly));
    QCOMPARE(QJsonDocument::fromJson(state.readAll())["suspended"].toBool(), suspended);
}

void TestChargeService::busPolicy()
{
    if (::getuid() != 0)
        QSKIP("needs root to call as another user");
    PrivateBus bus;
    bus.setPolicyFile(QStringLiteral(POLICY_FILE));
    QVERIFY(bus.start());
    m_rig->sysfs().addBattery();
    // Root may own the name; no polkit on this bus.
    ServiceProcess service(bus, m_rig->sysfs().root(), m_rig->stateDir(), false);
    QVERIFY(service.start());

    const auto asNobody = [&](const QStringList &call, QByteArray *output) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("setpriv"),
                      QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "dbus-send",
                                  "--bus=" + bus.address(), "--print-reply"} +
                          call);
        if (!process.waitForFinished(10000))
            return -1;
        *output = process.readAll();
        return process.exitCode();
    };
    const QStringList toService{"--dest=" + ChargeBus::serviceName, ChargeBus::objectPath};
    const QString member = ChargeBus::interfaceName + u'.';
    QByteArray output;

    // Everyone may call…
    QCOMPARE(asNobody(toService + QStringList{member + "Limit"}, &output), 0);
    QVERIFY2(output.contains("byte 100"), output.constData());
    // …the service itself decides: without polkit, a command is denied.
    QVERIFY(asNobody(toService + QStringList{member + "SetLimit", "byte:80"}, &output) != 0);
    QVERIFY2(output.contains("org.voltquill.Charge1.Error.NotAuthorized"), output.constData());
    QCOMPARE(threshold(), QByteArray("100"));
    // Nobody but root may own the name.
    QVERIFY(asNobody({"--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                      "org.freedesktop.DBus.RequestName", "string:" + ChargeBus::serviceName,
                      "uint32:0"},
                     &output) != 0);
    QVERIFY2(output.contains("AccessDenied"), output.constData());
}

void TestChargeService::exitsWhenIdle_data()
{
    QTest::addColumn<bool>("suspended");
    QTest::addColumn<bool>("exits");

    QTest::newRow("nothing to watch") << false << true;
    QTest::newRow("a suspension to watch") << true << false;
}

void TestChargeService::exitsWhenIdle()
{
    QFETCH(bool, suspended);
    QFETCH(bool, exits);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    keepState(80, suspended);
    QVERIFY(m_rig->service().start({QStringLiteral("--exit-when-idle"), QStringLiteral("1")}));
    const QDBusConnection bus = m_rig->connection();
    const auto running = [&] {
        return bus.interface()->isServiceRegistered(ChargeBus::serviceName).value();
    };
    if (exits) {
        QTRY_VERIFY_WITH_TIMEOUT(!running(), 10000);
        // The kept limit outlives the service.
        QCOMPARE(threshold(), QByteArray("80"));
    } else {
        QTest::qWait(2000);
        QVERIFY(running());
    }
}

void TestChargeService::logFollowsRules_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("journal");
    QTest::addColumn<bool>("debug");
    QTest::addColumn<QString>("infoPrefix");
    QTest::addColumn<QString>("debugPrefix");

    const QString plain = QStringLiteral("voltquill.charge: ");
    QTest::newRow("by default: notes, no debug lines")
        << QString() << false << false << plain << plain;
    QTest::newRow("the service's debug lines")
        << QStringLiteral("voltquill.charge.debug=true") << false << true << plain << plain;
    QTest::newRow("all of Voltquill's debug lines")
        << QStringLiteral("voltquill.*.debug=true") << false << true << plain << plain;
    // The journal takes each line's priority from its start.
    QTest::newRow("into the journal")
        << QStringLiteral("voltquill.*.debug=true") << true << true
        << QStringLiteral("<6>voltquill.charge: ") << QStringLiteral("<7>voltquill.charge: ");
}

void TestChargeService::logFollowsRules()
{
    QFETCH(QString, rules);
    QFETCH(bool, journal);
    QFETCH(bool, debug);
    QFETCH(QString, infoPrefix);
    QFETCH(QString, debugPrefix);

    m_rig->sysfs().addBattery();
    m_rig->sysfs().addAdapter(true);
    // Another program's limit, found at start: a note even by default.
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "60");
    const QString log = m_rig->stateFile(QStringLiteral("charged.log"));
    m_rig->service().logTo(log, rules, journal);
    QVERIFY(m_rig->service().start());
    QCOMPARE(
        m_rig->service().call(QStringLiteral("SetLimit"), {QVariant::fromValue(uchar(80))}).type(),
        QDBusMessage::ReplyMessage);
    m_rig->sysfs().write(QStringLiteral("BAT0"), "charge_control_end_threshold", "100");
    QTRY_COMPARE(threshold(), QByteArray("80"));
    QCOMPARE(m_rig->service().call(QStringLiteral("SuspendUntilUnplugged")).type(),
             QDBusMessage::ReplyMessage);
    m_rig->service().stop();

    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const auto has = [&](const QString &prefix, const QString &text) {
        return std::any_of(lines.begin(), lines.end(), [&](const QString &line) {
            return line.startsWith(prefix) && line.contains(text);
        });
    };
    const QString all = lines.join(QLatin1Char('\n'));
    QVERIFY2(has(infoPrefix, QStringLiteral("Ladeschwelle 60 % übernommen (Start)")),
             qPrintable(all));
    // What a bug report needs: each write and its read-back, the reset put
    // back, the suspension, polkit's decision.
    for (const QString &text :
         {QStringLiteral("polkit: SetLimit allowed"),
          QStringLiteral("charge_control_end_threshold = 80: taken"),
          QStringLiteral("read back 80 % after writing 80 %"),
          QStringLiteral("threshold 100 % found, 80 % kept: writing it again"),
          QStringLiteral("suspended until unplugged (limit 80 %)")})
        QVERIFY2(has(debugPrefix, text) == debug, qPrintable(text + QLatin1Char('\n') + all));
}

QTEST_GUILESS_MAIN(TestChargeService)
#include "tst_chargeservice.moc"
