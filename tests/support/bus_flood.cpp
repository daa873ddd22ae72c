// SPDX-License-Identifier: GPL-3.0-or-later
// A local user flooding the charge service: N connections of its own, M
// calls on each, all sent before any answer is read. Started by the tests
// and benchmarks under another uid (setpriv). With --no-reply the calls
// expect no answer (fire and forget); otherwise it waits for every answer and
// prints how many came back as what, one "name count" line each.
#include "shared/ChargeBus.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMap>
#include <QTextStream>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("address"), QStringLiteral("the bus"));
    const QCommandLineOption connectionsOption(QStringLiteral("connections"),
                                               QStringLiteral("connections"), QStringLiteral("N"),
                                               QStringLiteral("1"));
    const QCommandLineOption callsOption(QStringLiteral("calls"),
                                         QStringLiteral("calls per connection"),
                                         QStringLiteral("M"), QStringLiteral("1"));
    const QCommandLineOption methodOption(QStringLiteral("method"), QStringLiteral("member"),
                                          QStringLiteral("name"), QStringLiteral("SetLimit"));
    const QCommandLineOption noReplyOption(QStringLiteral("no-reply"),
                                           QStringLiteral("expect no answers"));
    const QCommandLineOption interactiveOption(QStringLiteral("interactive"),
                                               QStringLiteral("allow a password dialog"));
    parser.addOptions(
        {connectionsOption, callsOption, methodOption, noReplyOption, interactiveOption});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QString address = parser.positionalArguments().first();
    const int connections = parser.value(connectionsOption).toInt();
    const int calls = parser.value(callsOption).toInt();
    const QString method = parser.value(methodOption);
    const bool noReply = parser.isSet(noReplyOption);

    QMap<QString, int> answers;
    int pending = 0;
    QTextStream out(stdout);
    const auto finish = [&] {
        for (auto it = answers.cbegin(); it != answers.cend(); ++it)
            out << it.key() << ' ' << it.value() << '\n';
        out.flush();
        QCoreApplication::quit();
    };
    for (int c = 0; c < connections; ++c) {
        QDBusConnection bus =
            QDBusConnection::connectToBus(address, QStringLiteral("flood-%1").arg(c));
        if (!bus.isConnected()) {
            qCritical("no bus at %s", qPrintable(address));
            return 1;
        }
        for (int n = 0; n < calls; ++n) {
            QDBusMessage call =
                QDBusMessage::createMethodCall(ChargeBus::serviceName, ChargeBus::objectPath,
                                               ChargeBus::interfaceName, method);
            if (method == u"SetLimit")
                call << QVariant::fromValue(uchar(75));
            call.setInteractiveAuthorizationAllowed(parser.isSet(interactiveOption));
            if (noReply) {
                bus.send(call); // sent with "no reply expected"
                continue;
            }
            ++pending;
            auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10 * 60 * 1000));
            QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &app,
                             [&](QDBusPendingCallWatcher *done) {
                                 done->deleteLater();
                                 ++answers[done->isError() ? done->error().name()
                                                           : QStringLiteral("ok")];
                                 if (--pending == 0)
                                     finish();
                             });
        }
        if (noReply) // a round trip after the calls: they have all left
            bus.call(QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
    }
    out << "sent\n";
    out.flush();
    if (pending == 0)
        return 0;
    return QCoreApplication::exec();
}
