// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/SettingsWindow.h"

#include "app/AppState.h"
#include "app/L.h"
#include "window/SettingsView.h"

#include <QGuiApplication>
#include <QScreen>

SettingsWindow::SettingsWindow(WindowParts parts) : m_parts(std::move(parts)) {}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::showWindow()
{
    m_parts.state.refresh();
    if (!m_view) {
        m_view = std::make_unique<SettingsView>(m_parts);
        m_view->setWindowTitle(QStringLiteral("Voltquill – ") + L("Einstellungen"));
        // Closable, neither resizable (fixed size) nor minimisable or zoomable.
        m_view->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowCloseButtonHint);
        m_view->adjustSize();
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(), m_view->size());
            frame.moveCenter(screen->availableGeometry().center());
            m_view->move(frame.topLeft());
        }
    }
    // A window the window manager iconified, or left on another workspace,
    // does not come back with show(): unmapped and mapped anew, it opens on
    // the current workspace, then comes to the front.
    if (m_view->isVisible() && (m_view->isMinimized() || !m_view->isActiveWindow()))
        m_view->hide();
    m_view->setWindowState((m_view->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    m_view->show();
    m_view->raise();
    m_view->activateWindow();
}
