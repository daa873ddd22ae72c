// SPDX-License-Identifier: GPL-3.0-or-later
#include "PolkitAuthority.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace
{
// polkit's subject: (sa{sv}) — kind and details.
struct Subject {
    QString kind;
    QVariantMap details;
};

QDBusArgument &operator<<(QDBusArgument &argument, const Subject &subject)
{
    argument.beginStructure();
    argument << subject.kind << subject.details;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, Subject &subject)
{
    argument.beginStructure();
    argument >> subject.kind >> subject.details;
    argument.endStructure();
    return argument;
}

using Details = QMap<QString, QString>;

constexpr uint AllowUserInteraction = 1;
} // namespace

Q_DECLARE_METATYPE(Subject)

PolkitAuthority::PolkitAuthority(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus))
{
    qDBusRegisterMetaType<Subject>();
    qDBusRegisterMetaType<Details>();
}

void PolkitAuthority::check(const QString &busName, const QString &actionId, bool interactive,
                            std::function<void(Verdict)> done)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.PolicyKit1"),
                                       QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
                                       QStringLiteral("org.freedesktop.PolicyKit1.Authority"),
                                       QStringLiteral("CheckAuthorization"));
    const Subject subject{QStringLiteral("system-bus-name"), {{QStringLiteral("name"), busName}}};
    call << QVariant::fromValue(subject) << actionId << QVariant::fromValue(Details())
         << uint(interactive ? AllowUserInteraction : 0) << QString();

    auto *watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(call, interactive ? InteractiveTimeoutMs : QuietTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [done = std::move(done)](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusMessage reply = finished->reply();
                if (reply.type() == QDBusMessage::ErrorMessage &&
                    (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
                     reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout"))) {
                    done(Verdict::NoAnswer);
                    return;
                }
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty() ||
                    !reply.arguments().first().canConvert<QDBusArgument>()) {
                    done(Verdict::Denied);
                    return;
                }
                const QDBusArgument result = reply.arguments().first().value<QDBusArgument>();
                bool authorized = false;
                bool challenge = false;
                // Every structure opened is closed: an open one is never freed.
                result.beginStructure();
                result >> authorized >> challenge;
                result.endStructure();
                if (authorized)
                    done(Verdict::Allowed);
                else
                    done(challenge ? Verdict::ChallengeRequired : Verdict::Denied);
            });
}
