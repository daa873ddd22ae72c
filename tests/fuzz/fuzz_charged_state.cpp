// SPDX-License-Identifier: GPL-3.0-or-later
// The service's start: its state file (a hand edit, a half-written disk) and
// the threshold attributes a driver reports. The input is split at NUL bytes
// into state.json, the end threshold, the start threshold, the adapter's
// "online" and a flag byte (odd: a driver that knows only 80 and 100).
#include "BatteryControl.h"
#include "ChargeService.h"
#include "StateStore.h"
#include "support/FakeSysfs.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_charged_state";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)).split('\0');
    const auto part = [&](qsizetype i) { return i < parts.size() ? parts.at(i) : QByteArray(); };

    QTemporaryDir sysfs;
    QTemporaryDir state;
    const QString battery = sysfs.filePath(QStringLiteral("class/power_supply/BAT0/"));
    const QString end = battery + QStringLiteral("charge_control_end_threshold");
    const QString start = battery + QStringLiteral("charge_control_start_threshold");
    FakeSysfs::writeFile(battery + QStringLiteral("type"), "Battery\n");
    FakeSysfs::writeFile(end, part(1));
    if (parts.size() > 2)
        FakeSysfs::writeFile(start, part(2));
    FakeSysfs::writeFile(sysfs.filePath(QStringLiteral("class/power_supply/AC/type")), "Mains\n");
    FakeSysfs::writeFile(sysfs.filePath(QStringLiteral("class/power_supply/AC/online")), part(3));
    if (!part(4).isEmpty() && (part(4).at(0) & 1))
        QDir().mkpath(sysfs.filePath(QStringLiteral("module/lg_laptop")));
    FakeSysfs::writeFile(state.filePath(QStringLiteral("state.json")), part(0));

    BatteryControl batteries(sysfs.path());
    // The threshold as the whole attribute says it, never a part of it.
    bool isNumber = false;
    const qint64 whole = part(1).trimmed().toLongLong(&isNumber);
    const std::optional<int> expected =
        isNumber && whole >= 0 && whole <= 100 ? std::optional<int>(int(whole)) : std::nullopt;
    if (batteries.isSupported() && batteries.endThreshold() != expected)
        __builtin_trap();
    const StateStore store(state.path());
    const QList<int> offered = batteries.availableLimits();
    if (const auto kept = store.load(offered)) {
        // Whatever the file says, only an offered limit comes out of it.
        if (!offered.contains(kept->limit) || (kept->limit >= 100 && kept->suspended))
            __builtin_trap();
        if (store.save(*kept) && store.load(offered) != kept)
            __builtin_trap();
    }

    auto before = FakeSysfs::snapshotOf({sysfs.path()});
    before.remove(end);
    before.remove(start);
    const QByteArray endBefore = QFile::exists(end) ? part(1) : QByteArray();

    ChargeService service(batteries, store, nullptr, QDBusConnection(QString()));
    service.start();

    // Only the two thresholds may change, and the end only to an offered limit.
    auto after = FakeSysfs::snapshotOf({sysfs.path()});
    const QByteArray endAfter = after.take(end);
    after.remove(start);
    if (after != before)
        __builtin_trap();
    if (endAfter != endBefore && !offered.contains(endAfter.trimmed().toInt()))
        __builtin_trap();
    if (service.currentLimit() > 100 || service.keptLimit() > 100)
        __builtin_trap();
    // A threshold found on the battery is kept only when it is a limit at all.
    if (service.keptLimit() < 100 && service.keptLimit() < offered.first())
        __builtin_trap();
    return 0;
}
