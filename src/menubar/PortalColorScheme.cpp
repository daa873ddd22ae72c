// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/PortalColorScheme.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace
{
const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
const QString group = QStringLiteral("org.freedesktop.appearance");
const QString key = QStringLiteral("color-scheme");
} // namespace

PortalColorScheme::PortalColorScheme(QObject *parent) : QObject(parent) {}

PanelColour::Scheme PortalColorScheme::fromValue(const QVariant &value)
{
    // Read answers a variant inside a variant; unwrap however deep.
    QVariant v = value;
    for (int i = 0; i < 4 && v.canConvert<QDBusVariant>() &&
                    v.metaType() == QMetaType::fromType<QDBusVariant>();
         ++i)
        v = v.value<QDBusVariant>().variant();
    bool ok = false;
    const uint scheme = v.toUInt(&ok);
    if (!ok)
        return PanelColour::Scheme::unknown;
    if (scheme == 1)
        return PanelColour::Scheme::dark;
    if (scheme == 2)
        return PanelColour::Scheme::light;
    return PanelColour::Scheme::unknown;
}

void PortalColorScheme::start()
{
    if (m_started)
        return;
    m_started = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return;
    bus.connect(service, path, interface, QStringLiteral("SettingChanged"), this,
                SLOT(settingChanged(QString, QString, QDBusVariant)));
    // Only a running portal is asked: starting one costs a desktop's worth of
    // services, more than the icon's colour is worth.
    QDBusMessage hasOwner = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    hasOwner << service;
    auto *watch = new QDBusPendingCallWatcher(bus.asyncCall(hasOwner), this);
    connect(watch, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        const QDBusPendingReply<bool> owned = *w;
        if (owned.isError() || !owned.value())
            return;
        QDBusMessage read =
            QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
        read << group << key;
        auto *answer =
            new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(read), this);
        connect(answer, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher *a) {
                    a->deleteLater();
                    const QDBusPendingReply<QDBusVariant> reply = *a;
                    if (!reply.isError())
                        take(fromValue(QVariant::fromValue(reply.value())));
                });
    });
}

void PortalColorScheme::settingChanged(const QString &changedGroup, const QString &changedKey,
                                       const QDBusVariant &value)
{
    if (changedGroup == group && changedKey == key)
        take(fromValue(value.variant()));
}

void PortalColorScheme::take(PanelColour::Scheme scheme)
{
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    Q_EMIT changed();
}
