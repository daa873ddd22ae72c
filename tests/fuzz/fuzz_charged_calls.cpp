// SPDX-License-Identifier: GPL-3.0-or-later
// The service's D-Bus arguments: any method, any argument types and values,
// sent over a private bus, mixed with driver resets, plugging and resumes.
// Nothing outside the enumerated threshold attributes and the state file may
// change, the end threshold only ever holds an offered limit, and a caller
// polkit does not allow changes nothing at all.
#include "BatteryControl.h"
#include "ChargeService.h"
#include "PolkitAuthority.h"
#include "StateStore.h"
#include "charge1adaptor.h"
#include "shared/ChargeBus.h"
#include "support/FakeSysfs.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <sys/prctl.h>

namespace
{

// Reads the input byte by byte; zeros once it is used up.
class Input
{
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_at >= m_size; }
    uint8_t byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    quint32 word()
    {
        quint32 value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | byte();
        return value;
    }
    QByteArray bytes()
    {
        QByteArray out;
        for (int n = byte(); n > 0 && !atEnd(); --n)
            out.append(static_cast<char>(byte()));
        return out;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

QVariant argument(Input &in)
{
    switch (in.byte() % 9) {
    case 0:
        return QVariant::fromValue(static_cast<uchar>(in.byte()));
    case 1:
        return QVariant::fromValue(in.word());
    case 2:
        return QVariant::fromValue(static_cast<qint32>(in.word()));
    case 3:
        // Text, as a path or a name would come: possibly with "..", "/", NUL.
        return QString::fromUtf8(in.bytes());
    case 4:
        return in.bytes();
    case 5:
        return static_cast<double>(static_cast<qint32>(in.word())) / 7.0;
    case 6:
        return bool(in.byte() & 1);
    case 7:
        return QVariant::fromValue(QDBusVariant(static_cast<uchar>(in.byte())));
    default:
        return QString(in.byte() * 64, QLatin1Char('9')); // very long digits
    }
}

struct World {
    QProcess daemon;
    QString address;
    QDBusConnection service{QString()};
    QDBusConnection client{QString()};
};

World &world()
{
    static World *w = [] {
        auto *w = new World;
        // The fuzzer ends by exit() or by a crash, never through a destructor:
        // the bus goes with it.
        w->daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        w->daemon.start(QStringLiteral("dbus-daemon"),
                        {QStringLiteral("--session"), QStringLiteral("--nofork"),
                         QStringLiteral("--print-address=1")});
        if (!w->daemon.waitForStarted(5000) || !w->daemon.waitForReadyRead(5000))
            qFatal("dbus-daemon did not start");
        w->address = QString::fromUtf8(w->daemon.readLine()).trimmed();
        w->service = QDBusConnection::connectToBus(w->address, QStringLiteral("service"));
        w->client = QDBusConnection::connectToBus(w->address, QStringLiteral("client"));
        if (!w->service.registerService(ChargeBus::serviceName))
            qFatal("name not taken");
        return w;
    }();
    return *w;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_charged_calls";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    World &w = world();
    Input in(data, size);

    // Denied: polkit is not on this bus, which means no to every command.
    const bool denied = in.byte() & 1;
    QTemporaryDir sysfs;
    QTemporaryDir state;
    const QString battery = sysfs.filePath(QStringLiteral("class/power_supply/BAT0/"));
    const QString end = battery + QStringLiteral("charge_control_end_threshold");
    const QString start = battery + QStringLiteral("charge_control_start_threshold");
    const QString online = sysfs.filePath(QStringLiteral("class/power_supply/AC/online"));
    const QString stateFile = state.filePath(QStringLiteral("state.json"));
    FakeSysfs::writeFile(battery + QStringLiteral("type"), "Battery\n");
    FakeSysfs::writeFile(end, "100\n");
    FakeSysfs::writeFile(start, "95\n");
    FakeSysfs::writeFile(sysfs.filePath(QStringLiteral("class/power_supply/AC/type")), "Mains\n");
    FakeSysfs::writeFile(online, "1\n");
    // Files beside the attributes the service owns, which it must never touch.
    FakeSysfs::writeFile(battery + QStringLiteral("capacity"), "60\n");
    FakeSysfs::writeFile(sysfs.filePath(QStringLiteral("class/power_supply/BAT0/../../../secret")),
                         "keep\n");
    if (in.byte() & 1)
        QDir().mkpath(sysfs.filePath(QStringLiteral("module/lg_laptop")));

    BatteryControl batteries(sysfs.path());
    const StateStore store(state.path());
    PolkitAuthority authority(w.service);
    ChargeService service(batteries, store, denied ? &authority : nullptr, w.service);
    new Charge1Adaptor(&service);
    service.start();
    if (!w.service.registerObject(ChargeBus::objectPath, &service))
        qFatal("object not registered");

    const QList<int> offered = batteries.availableLimits();
    auto expected = FakeSysfs::snapshotOf({sysfs.path()});
    const auto whole = expected;
    const auto owned = [&](QMap<QString, QByteArray> files) {
        files.remove(end);
        files.remove(start);
        return files;
    };

    for (int step = 0; step < 16 && !in.atEnd(); ++step) {
        const uint8_t kind = in.byte();
        if (!denied && kind % 8 == 7) {
            // The outside world: a driver writes, the adapter comes and goes, a resume.
            const uint8_t what = in.byte();
            if (what % 3 == 0)
                FakeSysfs::writeFile(end, QByteArray::number(in.byte() % 101) + '\n');
            else if (what % 3 == 1)
                FakeSysfs::writeFile(online, (in.byte() & 1) ? "1\n" : "0\n");
            if (what % 3 == 2)
                service.prepareForSleep(false);
            else
                service.suppliesChanged();
            expected = FakeSysfs::snapshotOf({sysfs.path()});
            continue;
        }
        static const char *const methods[] = {"IsSupported",
                                              "AvailableLimits",
                                              "Limit",
                                              "IsEnabled",
                                              "SetLimit",
                                              "SetLimit",
                                              "SuspendUntilUnplugged",
                                              "Enable",
                                              "Get",
                                              "GetAll",
                                              "Set",
                                              "Introspect",
                                              "Bogus"};
        const QString method = QString::fromLatin1(methods[in.byte() % std::size(methods)]);
        QString interface = ChargeBus::interfaceName;
        if (method == u"Get" || method == u"GetAll" || method == u"Set")
            interface = QStringLiteral("org.freedesktop.DBus.Properties");
        else if (method == u"Introspect")
            interface = QStringLiteral("org.freedesktop.DBus.Introspectable");
        QDBusMessage call = QDBusMessage::createMethodCall(
            ChargeBus::serviceName, ChargeBus::objectPath, interface, method);
        for (int n = in.byte() % 4; n > 0; --n)
            call << argument(in);
        w.client.call(call, QDBus::BlockWithGui, 5000);

        const auto now = FakeSysfs::snapshotOf({sysfs.path()});
        if (denied && now != whole)
            __builtin_trap(); // a refused caller changed something
        if (denied && QFile::exists(stateFile))
            __builtin_trap();
        if (owned(now) != owned(expected))
            __builtin_trap(); // a write outside the owned attributes
        // The service writes an offered limit, or one a driver rounded to, but
        // never one below what it offers.
        const int threshold = now.value(end).trimmed().toInt();
        if (now.value(end) != expected.value(end) && threshold < offered.first())
            __builtin_trap();
        expected = now;
    }
    w.service.unregisterObject(ChargeBus::objectPath);
    return 0;
}
