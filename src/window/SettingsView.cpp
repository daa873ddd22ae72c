// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/SettingsView.h"

#include "app/L.h"
#include "window/ChargeTab.h"
#include "window/GeneralTab.h"
#include "window/HistoryTab.h"
#include "window/NotifyTab.h"
#include "window/ScheduleTab.h"
#include "window/Style.h"
#include "window/TabView.h"

#include <QIcon>
#include <QTabWidget>
#include <QVBoxLayout>

using Style::themeIcon;

SettingsView::SettingsView(const WindowParts &parts, int tab, QWidget *parent)
    : QWidget(parent), m_tabs(new TabView(this))
{
    setFixedSize(520, 600);
    auto *padding = new QVBoxLayout(this);
    padding->setContentsMargins(16, 16, 16, 16);
    padding->addWidget(m_tabs);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setDocumentMode(false);

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
    m_tabs->setCurrentIndex(tab);
}
