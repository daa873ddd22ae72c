// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FreedesktopNotificationCenter.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace
{
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

FreedesktopNotificationCenter::FreedesktopNotificationCenter(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus))
{
}

void FreedesktopNotificationCenter::requestAuthorization(std::function<void(bool)> completion)
{
    probe([completion = std::move(completion)](bool answered) {
        if (completion)
            completion(answered);
    });
}

void FreedesktopNotificationCenter::authorizationStatus(
    std::function<void(AuthorizationStatus)> completion)
{
    probe([completion = std::move(completion)](bool answered) {
        if (completion)
            completion(answered ? AuthorizationStatus::Authorized : AuthorizationStatus::Denied);
    });
}

void FreedesktopNotificationCenter::add(const QString &title, const QString &body,
                                        const QString &identifier)
{
    if (!m_bus.isConnected())
        return;
    if (m_inFlight.contains(identifier)) {
        // Sent once the server has named the earlier one, so it can replace it.
        m_waiting.insert(identifier, {title, body});
        return;
    }
    notify(identifier, {title, body});
}

void FreedesktopNotificationCenter::probe(std::function<void(bool)> done)
{
    if (!m_bus.isConnected()) {
        // The answer always comes later, as it does with a bus.
        QTimer::singleShot(0, this, [done = std::move(done)] { done(false); });
        return;
    }
    const QDBusMessage message = QDBusMessage::createMethodCall(
        service, path, interface, QStringLiteral("GetServerInformation"));
    whenFinished(m_bus.asyncCall(message, callTimeoutMs),
                 [done = std::move(done)](const QDBusPendingCall &call) { done(!call.isError()); });
}

void FreedesktopNotificationCenter::notify(const QString &identifier, const Content &content)
{
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("org.voltquill.Voltquill")},
        {QStringLiteral("sound-name"), soundName}};

    QDBusMessage message =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    message << QStringLiteral("Voltquill") << m_ids.value(identifier, 0) << QString()
            << content.title << content.body << QStringList() << hints << qint32(-1);
    m_inFlight.insert(identifier);
    whenFinished(
        m_bus.asyncCall(message, callTimeoutMs), [this, identifier](const QDBusPendingCall &call) {
            const QDBusPendingReply<quint32> reply(call);
            if (reply.isValid())
                m_ids.insert(identifier, reply.value());
            m_inFlight.remove(identifier);
            if (const auto waiting = m_waiting.find(identifier); waiting != m_waiting.end()) {
                const Content next = *waiting;
                m_waiting.erase(waiting);
                notify(identifier, next);
            }
        });
}

void FreedesktopNotificationCenter::whenFinished(const QDBusPendingCall &call,
                                                 std::function<void(const QDBusPendingCall &)> done)
{
    // Owned by this object: nothing is called back once it is gone.
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [done = std::move(done)](QDBusPendingCallWatcher *w) {
                done(*w);
                w->deleteLater();
            });
}
