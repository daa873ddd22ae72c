// SPDX-License-Identifier: GPL-3.0-or-later
// The charge service while another local user (nobody) floods it: its memory
// after 100,000 denied polkit checks and after 1,000,000 calls that expect no
// answer, and an allowed user's SetLimit round trip during a flood from 32
// connections. Needs root, to call as another user. Arguments pick phases
// (denied, forget, flood); none runs all three.
#include "support/BusFlood.h"
#include "support/ServiceRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <unistd.h>

namespace
{
QString describe(const QMap<QString, int> &answers)
{
    QStringList parts;
    for (auto it = answers.cbegin(); it != answers.cend(); ++it)
        parts << QStringLiteral("%1 %2").arg(it.key().section(u'.', -1)).arg(it.value());
    return parts.join(QStringLiteral(", "));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (::getuid() != 0) {
        out << "bench_flood: needs root (another user floods the service); skipped\n";
        return 0;
    }
    ServiceRig rig(ServiceRig::Mode::System, QStringLiteral(POLICY_FILE));
    rig.sysfs().addBattery();
    rig.sysfs().addAdapter(true);
    if (!rig.start()) {
        qCritical("bench_flood: the bus did not start");
        return 1;
    }
    ServiceProcess &service = rig.service();
    service.logTo(rig.stateFile(QStringLiteral("charged.log")), QString());
    if (!rig.polkit().startScript(QStringLiteral(HOLDING_POLKIT),
                                  {QStringLiteral("--only-root")}) ||
        !service.start()) {
        qCritical("bench_flood: polkit or the service did not start");
        return 1;
    }
    const auto line = [&](const QString &what, const QString &figure) {
        out << QStringLiteral("%1  %2\n").arg(what, -60).arg(figure);
        out.flush();
    };
    service.call(QStringLiteral("Limit"));
    line(QStringLiteral("service RSS at start"),
         QStringLiteral("%1 MiB").arg(service.residentMiB(), 0, 'f', 1));

    const QStringList phases = app.arguments().mid(1);
    const auto runs = [&](const char *phase) {
        return phases.isEmpty() || phases.contains(QLatin1String(phase));
    };
    if (runs("denied")) {
        BusFlood denied(rig.bus());
        QElapsedTimer took;
        took.start();
        denied.start({"--calls", "100000", "--window", "4"});
        const auto answers = denied.answers(15 * 60 * 1000);
        line(QStringLiteral("service RSS after 100,000 denied checks"),
             QStringLiteral("%1 MiB  (%2 s; %3)")
                 .arg(service.residentMiB(), 0, 'f', 1)
                 .arg(took.elapsed() / 1000.0, 0, 'f', 1)
                 .arg(describe(answers)));
    }
    if (runs("forget")) {
        BusFlood fireAndForget(rig.bus());
        QElapsedTimer took;
        took.start();
        fireAndForget.start({"--connections", "4", "--calls", "250000", "--no-reply"},
                            15 * 60 * 1000);
        double peak = 0;
        // Drained once a call of its own is answered at once.
        for (;;) {
            peak = std::max(peak, service.residentMiB());
            QElapsedTimer call;
            call.start();
            service.call(QStringLiteral("Limit"));
            if (call.elapsed() < 50)
                break;
        }
        const double drained = took.elapsed() / 1000.0;
        QThread::sleep(2);
        line(QStringLiteral("service RSS after 1,000,000 calls without reply"),
             QStringLiteral("%1 MiB  (peak %2 MiB; drained after %3 s)")
                 .arg(service.residentMiB(), 0, 'f', 1)
                 .arg(peak, 0, 'f', 1)
                 .arg(drained, 0, 'f', 1));
    }
    if (runs("flood")) {
        BusFlood flood(rig.bus());
        flood.start({"--connections", "32", "--calls", "3000", "--window", "4"});
        QList<qint64> times;
        for (int i = 0; i < 40; ++i) {
            QElapsedTimer took;
            took.start();
            service.call(QStringLiteral("SetLimit"), {QVariant::fromValue(uchar(i % 2 ? 75 : 80))});
            times << took.elapsed();
        }
        std::sort(times.begin(), times.end());
        line(QStringLiteral("allowed SetLimit during a 32-connection flood"),
             QStringLiteral("median %1 ms  p90 %2 ms  max %3 ms")
                 .arg(times.at(times.size() / 2))
                 .arg(times.at(times.size() * 9 / 10))
                 .arg(times.last()));
        line(QStringLiteral("service RSS after that flood"),
             QStringLiteral("%1 MiB  (%2)")
                 .arg(service.residentMiB(), 0, 'f', 1)
                 .arg(describe(flood.answers(15 * 60 * 1000))));
    }
    QFile log(rig.stateFile(QStringLiteral("charged.log")));
    if (log.open(QIODevice::ReadOnly) && log.size() > 0)
        out << "service log:\n" << log.read(4096);
    return 0;
}
