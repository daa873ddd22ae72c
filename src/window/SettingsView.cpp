// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/SettingsView.h"

#include "app/L.h"
#include "window/AccessKeys.h"
#include "window/ChargeTab.h"
#include "window/FocusGuard.h"
#include "window/FocusRing.h"
#include "window/GeneralTab.h"
#include "window/HistoryTab.h"
#include "window/NotifyTab.h"
#include "window/ScheduleTab.h"
#include "window/Style.h"
#include "window/TabView.h"

#include <QIcon>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

using Style::themeIcon;

SettingsView::SettingsView(const WindowParts &parts, int tab, QWidget *parent)
    : QWidget(parent), m_tabs(new TabView(this))
{
    auto *padding = new QVBoxLayout(this);
    padding->setContentsMargins(16, 16, 16, 16);
    // The window is as large as its content needs, and never smaller than
    // 520 × 600: the tabs get the room inside the padding.
    padding->setSizeConstraint(QLayout::SetFixedSize);
    m_tabs->setMinimumSize(520 - 32, 600 - 32);
    padding->addWidget(m_tabs);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setDocumentMode(false);
    // It takes the focus for its strip, so assistive technology wants a name.
    m_tabs->setAccessibleName(L("Einstellungen"));

    m_tabs->addTab(new ChargeTab(parts.state, parts.otherThresholdWriters),
                   themeIcon("battery", {"battery-good", "battery"}), L("Laden"));
    m_tabs->addTab(new ScheduleTab(parts.state),
                   themeIcon("calendar", {"x-office-calendar", "appointment-new"}), L("Zeitplan"));
    m_tabs->addTab(new NotifyTab(parts.notifier, parts.notificationsDenied, parts.panes),
                   themeIcon("bell", {"preferences-system-notifications",
                                      "preferences-desktop-notification", "dialog-information"}),
                   L("Mitteilungen"));
    m_tabs->addTab(new HistoryTab(parts.history, parts.state),
                   themeIcon("chart", {"office-chart-line", "utilities-system-monitor",
                                       "x-office-spreadsheet"}),
                   L("Verlauf"));
    m_tabs->addTab(new GeneralTab(parts.onIconChange, parts.loginItem, parts.panes, parts.quit),
                   themeIcon("gear", {"preferences-system", "emblem-system"}), L("Allgemein"));
    const char *names[] = {"chargeTab", "scheduleTab", "notifyTab", "historyTab", "generalTab"};
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->widget(i)->setObjectName(QLatin1String(names[i]));
    for (int i = 0; i < m_tabs->count(); ++i)
        AccessKeys::assign(m_tabs->widget(i));
    m_tabs->setCurrentIndex(tab);
    new FocusGuard(this);
    new FocusRing(this);
    addShortcuts();
}

void SettingsView::addShortcuts()
{
    const auto add = [this](const QKeySequence &keys, auto action) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    for (const QKeySequence &next :
         {QKeySequence(Qt::CTRL | Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_Tab)})
        add(next, [this] { switchTab(1); });
    for (const QKeySequence &previous : {QKeySequence(Qt::CTRL | Qt::Key_PageUp),
                                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)})
        add(previous, [this] { switchTab(-1); });
    for (const QKeySequence &close :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        add(close, [this] { this->close(); });
}

void SettingsView::switchTab(int delta)
{
    const int count = m_tabs->count();
    m_tabs->setCurrentIndex((m_tabs->currentIndex() + delta + count) % count);
    // The focus follows to the strip, so the new tab is announced and Tab
    // goes on into it.
    m_tabs->tabBar()->setFocus(Qt::ShortcutFocusReason);
}
