// SPDX-License-Identifier: GPL-3.0-or-later
// A local user flooding the charge service: N connections of its own, M
// calls on each, all sent before any answer is read (or, with --window K, at
// most K unanswered at a time per connection, the next sent as one is
// answered). Started by the tests and benchmarks under another uid
// (setpriv). With --no-reply the calls expect no answer (fire and forget);
// otherwise it waits for every answer and prints how many came back as what,
// one "name count" line each.
#include "shared/ChargeBus.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMap>
#include <QTextStream>
#include <algorithm>
#include <functional>
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
    const QCommandLineOption windowOption(QStringLiteral("window"),
                                          QStringLiteral("unanswered calls per connection"),
                                          QStringLiteral("K"), QStringLiteral("0"));
    parser.addOptions({connectionsOption, callsOption, methodOption, noReplyOption,
                       interactiveOption, windowOption});
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QString address = parser.positionalArguments().first();
    const int connections = parser.value(connectionsOption).toInt();
    const int calls = parser.value(callsOption).toInt();
    const QString method = parser.value(methodOption);
    const bool noReply = parser.isSet(noReplyOption);
    const int window = parser.value(windowOption).toInt();

    QMap<QString, int> answers;
    int pending = 0;
    QTextStream out(stdout);
    const auto finish = [&] {
        for (auto it = answers.cbegin(); it != answers.cend(); ++it)
            out << it.key() << ' ' << it.value() << '\n';
        out.flush();
        QCoreApplication::quit();
    };
    const auto makeCall = [&] {
        QDBusMessage call = QDBusMessage::createMethodCall(
            ChargeBus::serviceName, ChargeBus::objectPath, ChargeBus::interfaceName, method);
        if (method == u"SetLimit")
            call << QVariant::fromValue(uchar(75));
        call.setInteractiveAuthorizationAllowed(parser.isSet(interactiveOption));
        return call;
    };
    // One call on `bus`; with a window, its answer sends the connection's
    // next call, of which `left` are still to go.
    std::function<void(const QDBusConnection &, const std::shared_ptr<int> &)> sendOne =
        [&](const QDBusConnection &bus, const std::shared_ptr<int> &left) {
            --*left;
            ++pending;
            auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(makeCall(), 10 * 60 * 1000));
            QObject::connect(
                watcher, &QDBusPendingCallWatcher::finished, &app,
                [&, bus, left](QDBusPendingCallWatcher *done) {
                    done->deleteLater();
                    ++answers[done->isError() ? done->error().name() : QStringLiteral("ok")];
                    --pending;
                    if (window > 0 && *left > 0)
                        sendOne(bus, left);
                    else if (pending == 0)
                        finish();
                });
        };
    for (int c = 0; c < connections; ++c) {
        QDBusConnection bus =
            QDBusConnection::connectToBus(address, QStringLiteral("flood-%1").arg(c));
        if (!bus.isConnected()) {
            qCritical("no bus at %s", qPrintable(address));
            return 1;
        }
        if (noReply) {
            for (int n = 0; n < calls; ++n)
                bus.send(makeCall()); // sent with "no reply expected"
            // A round trip after the calls: they have all left.
            bus.call(QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping")));
            continue;
        }
        const auto left = std::make_shared<int>(calls);
        const int first = window > 0 ? std::min(window, calls) : calls;
        for (int n = 0; n < first; ++n)
            sendOne(bus, left);
    }
    out << "sent\n";
    out.flush();
    if (pending == 0)
        return 0;
    return QCoreApplication::exec();
}
