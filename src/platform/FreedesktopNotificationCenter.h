// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "policy/NotificationCenter.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QSet>

class QDBusPendingCall;

// Notifications through org.freedesktop.Notifications on the session bus.
// Every call is asynchronous with a short timeout, so a missing or hung server
// never stalls the agent. Permission counts as granted while a server answers.
// The id the server gives a notification is remembered per identifier and
// passed as replaces_id, so a newer notification takes the older one's place.
class FreedesktopNotificationCenter : public QObject, public NotificationCenter
{
    Q_OBJECT
public:
    explicit FreedesktopNotificationCenter(QDBusConnection bus = QDBusConnection::sessionBus(),
                                           QObject *parent = nullptr);

    static constexpr int callTimeoutMs = 3000;
    static inline const QString soundName = QStringLiteral("message-new-instant");

    void requestAuthorization(std::function<void(bool granted)> completion) override;
    void authorizationStatus(std::function<void(AuthorizationStatus)> completion) override;
    void add(const QString &title, const QString &body, const QString &identifier) override;

private:
    struct Content {
        QString title;
        QString body;
    };

    // Calls done(true) when a server answered, done(false) otherwise; later,
    // from the event loop.
    void probe(std::function<void(bool answered)> done);
    void notify(const QString &identifier, const Content &content);
    void whenFinished(const QDBusPendingCall &call,
                      std::function<void(const QDBusPendingCall &)> done);

    QDBusConnection m_bus;
    QHash<QString, quint32> m_ids;
    // A notification of this identifier waits for its id; a newer one waits behind it.
    QSet<QString> m_inFlight;
    QHash<QString, Content> m_waiting;
};
