// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/NotifyTab.h"

#include "app/L.h"
#include "app/SystemSettingsPanes.h"
#include "policy/Notifier.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "window/DesktopHint.h"
#include "window/Stepper.h"
#include "window/Style.h"
#include "window/TabOrder.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
QGroupBox *section(QWidget *parent)
{
    auto *box = new QGroupBox(parent);
    new QVBoxLayout(box);
    return box;
}
} // namespace

NotifyTab::NotifyTab(Notifier &notifier, DeniedCheck deniedCheck, SystemSettingsPanes *panes,
                     QWidget *parent)
    : QWidget(parent), m_notifier(notifier), m_deniedCheck(std::move(deniedCheck)),
      m_limit(
          toggle(L("Wenn das Ladelimit erreicht ist"), Key::notifyLimit, Defaults::notifyLimit)),
      m_lowAt(new Stepper([](qint64 v) { return L("bei %d %%", v); }, 5, 50, 5, this)),
      m_minW(new Stepper([](qint64 v) { return L("unter %d W", v); }, 20, 140, 5, this)),
      m_deniedSection(section(this))
{
    m_low = toggle(L("Bei niedrigem Akkustand"), Key::notifyLow, Defaults::notifyLow);
    m_adapter = toggle(L("Bei schwachem Netzteil"), Key::notifyAdapter, Defaults::notifyAdapter);
    m_lowAt->setObjectName(Key::lowThreshold);
    m_minW->setObjectName(Key::adapterMinWatts);
    // Each stepper is named by the switch above it; its text is its value.
    m_lowAt->setAccessibleName(L("Bei niedrigem Akkustand"));
    m_minW->setAccessibleName(L("Bei schwachem Netzteil"));

    auto *column = new QVBoxLayout(this);
    auto *first = section(this);
    first->layout()->addWidget(m_limit);
    column->addWidget(first);

    auto *second = section(this);
    second->layout()->addWidget(m_low);
    second->layout()->addWidget(m_lowAt);
    column->addWidget(second);

    auto *third = section(this);
    third->layout()->addWidget(m_adapter);
    third->layout()->addWidget(m_minW);
    auto *adapterNote = Style::text(L("Meldet sich beim Anstecken, wenn das Netzteil weniger "
                                      "Leistung liefert, und wenn der Akku trotz Netzteil leerer "
                                      "wird."),
                                    third);
    Style::footnote(adapterNote);
    Style::secondary(adapterNote);
    third->layout()->addWidget(adapterNote);
    column->addWidget(third);

    m_deniedSection->setObjectName(QStringLiteral("deniedSection"));
    auto *warning =
        Style::text(L("Mitteilungen sind für Voltquill in den Systemeinstellungen ausgeschaltet."),
                    m_deniedSection);
    Style::red(warning);
    m_deniedSection->layout()->addWidget(warning);
    auto *open = new QPushButton(L("Mitteilungs-Einstellungen öffnen"), m_deniedSection);
    open->setObjectName(QStringLiteral("openNotificationSettings"));
    m_deniedSection->layout()->addWidget(open);
    m_deniedSection->setVisible(false);
    column->addWidget(m_deniedSection);

    auto *footnote = Style::text(L("Mitteilungen kommen nur, solange die App läuft – am besten "
                                   "„Bei der Anmeldung starten“ einschalten (Reiter Allgemein)."),
                                 this);
    Style::footnote(footnote);
    Style::secondary(footnote);
    column->addWidget(footnote);
    column->addStretch(1);

    TabOrder::chain({m_limit, m_low, m_lowAt, m_adapter, m_minW, open});

    connect(open, &QPushButton::clicked, this, [this, panes] {
        DesktopHint::open(panes, SystemSettingsPanes::Pane::Notifications, this);
    });
    connect(m_lowAt, &Stepper::stepped, this, [](qint64 v) { Prefs::setLowThreshold(v); });
    connect(m_minW, &Stepper::stepped, this, [](qint64 v) { Prefs::setAdapterMinWatts(v); });
    connect(&Prefs::d(), &SettingsStore::changed, this, &NotifyTab::sync);
    sync();
}

QCheckBox *NotifyTab::toggle(const QString &text, const QString &key, bool fallback)
{
    auto *box = new QCheckBox(text, this);
    box->setObjectName(key);
    box->setChecked(Prefs::d().boolean(key, fallback));
    // Only the user's change asks; the value found when the tab is shown does not.
    connect(box, &QCheckBox::clicked, this, [this, key](bool on) {
        Prefs::d().setBool(key, on);
        if (on)
            ask();
    });
    return box;
}

void NotifyTab::sync()
{
    m_limit->setChecked(Prefs::notifyLimit());
    m_low->setChecked(Prefs::notifyLow());
    m_adapter->setChecked(Prefs::notifyAdapter());
    m_lowAt->setStoredValue(Prefs::lowThreshold());
    m_minW->setStoredValue(Prefs::adapterMinWatts());
    m_lowAt->setEnabled(m_low->isChecked());
    m_minW->setEnabled(m_adapter->isChecked());
}

void NotifyTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    check();
}

void NotifyTab::check()
{
    if (!m_deniedCheck)
        return;
    m_deniedCheck([tab = QPointer(this)](bool denied) {
        if (tab)
            tab->setDenied(denied);
    });
}

void NotifyTab::ask()
{
    m_notifier.requestPermission([tab = QPointer(this)](bool) {
        if (tab)
            tab->check();
    });
}

void NotifyTab::setDenied(bool denied)
{
    m_denied = denied;
    m_deniedSection->setVisible(denied);
}
