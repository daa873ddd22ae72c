// SPDX-License-Identifier: GPL-3.0-or-later
#include "menubar/PanelTint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

PanelTint::PanelTint(std::function<PanelColour::Session()> session, QObject *parent)
    : QObject(parent), m_session(std::move(session))
{
    if (!m_session)
        m_session = [] { return PanelColour::Session::current(); };
    const auto reread = [this] {
        read();
        Q_EMIT changed();
    };
    connect(&m_portal, &PortalColorScheme::changed, this, reread);
    connect(&m_trayManager, &TrayManagerColour::changed, this, reread);
    if (QCoreApplication *app = QCoreApplication::instance())
        app->installEventFilter(this);
}

void PanelTint::start()
{
    if (m_started)
        return;
    m_started = true;
    m_trayManager.start();
    read();
    // The portal answers later; the icon does not wait for it.
    QTimer::singleShot(0, &m_portal, &PortalColorScheme::start);
}

void PanelTint::read()
{
    PanelColour::Session session = m_session();
    if (m_portal.scheme() != PanelColour::Scheme::unknown)
        session.portal = m_portal.scheme();
    if (m_trayManager.foreground().isValid())
        session.trayText = m_trayManager.foreground();
    m_scheme = PanelColour::schemeFor(session);
}

PanelColour::Tint PanelTint::tint(qint64 storedChoice, bool docked) const
{
    return PanelColour::tintFor(PanelColour::choice(storedChoice), m_scheme,
                                docked ? m_trayManager.foreground() : QColor());
}

bool PanelTint::eventFilter(QObject *watched, QEvent *event)
{
    // A new colour scheme may change the panel's text colour.
    if (event->type() == QEvent::ApplicationPaletteChange &&
        watched == QCoreApplication::instance() && m_started) {
        read();
        Q_EMIT changed();
    }
    return QObject::eventFilter(watched, event);
}
