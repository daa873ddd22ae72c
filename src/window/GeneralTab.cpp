// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/GeneralTab.h"

#include "app/L.h"
#include "app/LoginItem.h"
#include "app/SystemSettingsPanes.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "window/DesktopHint.h"
#include "window/Stepper.h"
#include "window/Style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

GeneralTab::GeneralTab(std::function<void()> onIconChange, LoginItem *loginItem,
                       SystemSettingsPanes *panes, std::function<void()> quit, QWidget *parent)
    : QWidget(parent), m_onIconChange(std::move(onIconChange)), m_loginItem(loginItem),
      m_showIcon(Prefs::showIcon())
{
    using Pane = SystemSettingsPanes::Pane;
    auto *column = new QVBoxLayout(this);

    auto *bar = new QGroupBox(L("Menüleiste"), this);
    auto *barForm = new QFormLayout(bar);
    m_showIconBox = new QCheckBox(L("Symbol in der Menüleiste"), bar);
    m_showIconBox->setObjectName(QStringLiteral("showIcon"));
    m_showIconBox->setChecked(m_showIcon);
    barForm->addRow(m_showIconBox);

    m_style = new QComboBox(bar);
    m_style->setObjectName(QStringLiteral("iconStyle"));
    m_style->addItem(L("Prozent im Batterie-Symbol"), 0);
    m_style->addItem(L("Nur Batterie-Symbol"), 1);
    m_style->addItem(L("Symbol und Prozent daneben"), 2);
    m_style->setCurrentIndex(m_style->findData(Prefs::iconStyle()));
    barForm->addRow(L("Anzeige"), m_style);
    // Not every panel shows text beside an icon: say where the number goes.
    auto *styleHint = Style::text(
        L("Prozent im Batterie-Symbol: die Zahl steht im Symbol. Nur Batterie-Symbol: die Zahl "
          "steht im Menü. Symbol und Prozent daneben: die Zahl steht neben dem Symbol, wo das "
          "Panel Text neben Symbolen zeigt (GNOME, MATE); sonst bleibt sie im Symbol."),
        bar);
    styleHint->setObjectName(QStringLiteral("styleHint"));
    Style::footnote(styleHint);
    Style::secondary(styleHint);
    barForm->addRow(styleHint);

    // For panels that do not say whether they are dark.
    m_colour = new QComboBox(bar);
    m_colour->setObjectName(Key::iconColour);
    m_colour->addItem(L("Automatisch"), 0);
    m_colour->addItem(L("Hell"), 1);
    m_colour->addItem(L("Dunkel"), 2);
    barForm->addRow(L("Symbolfarbe"), m_colour);

    m_blink = new QCheckBox(L("Bei sehr niedrigem Akku blinken"), bar);
    m_blink->setObjectName(Key::blinkLow);
    barForm->addRow(m_blink);
    m_blinkAt = new Stepper([](qint64 v) { return L("bei %d %% und weniger", v); }, 5, 30, 5, bar);
    m_blinkAt->setObjectName(Key::blinkThreshold);
    m_blinkAt->setAccessibleName(L("Bei sehr niedrigem Akku blinken"));
    barForm->addRow(m_blinkAt);

    m_panelRow = new QWidget(bar);
    auto *panelRow = new QHBoxLayout(m_panelRow);
    panelRow->setContentsMargins(0, 0, 0, 0);
    auto *panelText = new QLabel(L("Akku-Symbol der Leiste ausblenden:"), m_panelRow);
    panelText->setWordWrap(true);
    Style::callout(panelText);
    panelRow->addWidget(panelText, 1);
    auto *panelButton = new QPushButton(L("Leisten-Einstellungen …"), m_panelRow);
    panelButton->setObjectName(QStringLiteral("openPanelSettings"));
    panelRow->addWidget(panelButton);
    barForm->addRow(m_panelRow);
    m_panelHint = Style::text(
        L("Dort die Akku-Anzeige der Leiste ausschalten, soweit die Arbeitsumgebung das erlaubt."),
        bar);
    m_panelHint->setObjectName(QStringLiteral("panelHint"));
    Style::footnote(m_panelHint);
    Style::secondary(m_panelHint);
    barForm->addRow(m_panelHint);
    m_hiddenHint = Style::text(L("Ohne Symbol öffnest du dieses Fenster, indem du Voltquill im "
                                 "Anwendungsmenü noch einmal startest."),
                               bar);
    m_hiddenHint->setObjectName(QStringLiteral("hiddenHint"));
    Style::footnote(m_hiddenHint);
    Style::secondary(m_hiddenHint);
    barForm->addRow(m_hiddenHint);
    column->addWidget(bar);

    auto *start = new QGroupBox(L("Start"), this);
    auto *startColumn = new QVBoxLayout(start);
    m_login = new QCheckBox(L("Bei der Anmeldung starten"), start);
    m_login->setObjectName(QStringLiteral("loginItem"));
    m_login->setChecked(loginItem && loginItem->isEnabled());
    m_login->setEnabled(loginItem != nullptr);
    startColumn->addWidget(m_login);
    m_loginError = Style::text({}, start);
    m_loginError->setObjectName(QStringLiteral("loginError"));
    Style::red(m_loginError);
    Style::callout(m_loginError);
    m_loginError->setVisible(false);
    startColumn->addWidget(m_loginError);
    column->addWidget(start);

    auto *last = new QGroupBox(this);
    auto *lastColumn = new QVBoxLayout(last);
    auto *battery = new QPushButton(L("Batterie-Systemeinstellungen öffnen"), last);
    battery->setObjectName(QStringLiteral("openBatterySettings"));
    auto *quitButton = new QPushButton(L("Voltquill beenden"), last);
    quitButton->setObjectName(QStringLiteral("quit"));
    for (QPushButton *b : {battery, quitButton}) {
        auto *row = new QHBoxLayout;
        row->addWidget(b);
        row->addStretch(1);
        lastColumn->addLayout(row);
    }
    column->addWidget(last);
    column->addStretch(1);

    connect(m_showIconBox, &QCheckBox::clicked, this, [this](bool on) {
        m_showIcon = on;
        Prefs::setShowIcon(on);
        sync();
        if (m_onIconChange)
            m_onIconChange();
    });
    connect(m_style, &QComboBox::activated, this, [this](int index) {
        Prefs::setIconStyle(m_style->itemData(index).toLongLong());
        if (m_onIconChange)
            m_onIconChange();
    });
    connect(m_colour, &QComboBox::activated, this, [this](int index) {
        const qint64 choice = m_colour->itemData(index).toLongLong();
        if (choice == Prefs::iconColour())
            return;
        Prefs::setIconColour(choice);
        if (m_onIconChange)
            m_onIconChange();
    });
    connect(m_blink, &QCheckBox::clicked, this, [this](bool on) {
        Prefs::setBlinkLow(on);
        if (m_onIconChange)
            m_onIconChange();
    });
    connect(m_blinkAt, &Stepper::stepped, this, [this](qint64 v) {
        Prefs::setBlinkThreshold(v);
        if (m_onIconChange)
            m_onIconChange();
    });
    connect(m_login, &QCheckBox::clicked, this, &GeneralTab::setLoginItem);
    connect(panelButton, &QPushButton::clicked, this,
            [this, panes] { DesktopHint::open(panes, Pane::PanelIcons, this); });
    connect(battery, &QPushButton::clicked, this,
            [this, panes] { DesktopHint::open(panes, Pane::Battery, this); });
    connect(quitButton, &QPushButton::clicked, this, [quit = std::move(quit)] {
        if (quit)
            quit();
    });
    connect(&Prefs::d(), &SettingsStore::changed, this, &GeneralTab::sync);
    sync();
}

void GeneralTab::sync()
{
    const bool blink = Prefs::blinkLow();
    m_blink->setChecked(blink);
    m_blinkAt->setStoredValue(Prefs::blinkThreshold());
    m_style->setEnabled(m_showIcon);
    {
        // A stored value of no choice shows as the automatic one it acts as.
        const QSignalBlocker blocker(m_colour);
        const int index = m_colour->findData(Prefs::iconColour());
        m_colour->setCurrentIndex(index < 0 ? 0 : index);
    }
    m_colour->setEnabled(m_showIcon);
    m_blink->setEnabled(m_showIcon);
    m_blinkAt->setEnabled(m_showIcon && blink);
    m_panelRow->setVisible(m_showIcon);
    m_panelHint->setVisible(m_showIcon);
    m_hiddenHint->setVisible(!m_showIcon);
}

void GeneralTab::setLoginItem(bool on)
{
    // The switch stays where the user put it, also when that failed.
    const bool done = on ? m_loginItem->registerItem() : m_loginItem->unregisterItem();
    m_loginError->setVisible(!done);
    if (!done)
        m_loginError->setText(on ? L("Der Autostart-Eintrag konnte nicht angelegt werden.")
                                 : L("Der Autostart-Eintrag konnte nicht entfernt werden."));
}
