// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/ChargeTab.h"

#include "app/AppState.h"
#include "app/L.h"
#include "window/SegmentedControl.h"
#include "window/Style.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ChargeTab::ChargeTab(AppState &state, std::function<QStringList()> otherWriters, QWidget *parent)
    : QWidget(parent), m_state(state), m_status(new QLabel(this)),
      m_selector(new SegmentedControl(this)), m_limitLine(new QLabel(this)),
      m_otherWriters(std::move(otherWriters)), m_writerNote(Style::text({}, this)),
      m_scheduleNote(new QWidget(this)), m_scheduleText(Style::text({}, m_scheduleNote)),
      m_fullOnce(new QPushButton(L("Einmal voll laden (bis zum Abstecken)"), this)),
      m_reEnable(new QPushButton(L("Limit wieder einschalten"), this)), m_facts(new QGridLayout),
      m_error(Style::text({}, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(14);

    m_status->setObjectName(QStringLiteral("statusLine"));
    m_status->setWordWrap(true);
    Style::headline(m_status);
    column->addWidget(m_status);

    auto *caption = new QLabel(L("Laden bis"), this);
    Style::subheadline(caption);
    Style::secondary(caption);
    column->addWidget(caption);

    m_selector->setObjectName(QStringLiteral("limitSelector"));
    m_selector->setCaption(L("Laden bis"));
    caption->setBuddy(m_selector);
    column->addWidget(m_selector);

    m_limitLine->setObjectName(QStringLiteral("limitLine"));
    m_limitLine->setWordWrap(true);
    Style::secondary(m_limitLine);
    column->addWidget(m_limitLine);

    // Another program writing the threshold would undo the limit unseen.
    m_writerNote->setObjectName(QStringLiteral("otherWriters"));
    Style::callout(m_writerNote);
    m_writerNote->hide();
    column->addWidget(m_writerNote);

    m_scheduleNote->setObjectName(QStringLiteral("scheduleNote"));
    auto *note = new QHBoxLayout(m_scheduleNote);
    note->setContentsMargins(0, 0, 0, 0);
    auto *calendar = new QLabel(m_scheduleNote);
    calendar->setPixmap(Style::themeIcon("calendar", {"x-office-calendar"}).pixmap(16, 16));
    note->addWidget(calendar, 0, Qt::AlignTop);
    note->addWidget(m_scheduleText, 1);
    Style::callout(m_scheduleText);
    Style::secondary(m_scheduleText);
    column->addWidget(m_scheduleNote);

    auto *buttons = new QHBoxLayout;
    m_fullOnce->setObjectName(QStringLiteral("chargeFullOnce"));
    m_reEnable->setObjectName(QStringLiteral("reEnable"));
    buttons->addWidget(m_fullOnce);
    buttons->addWidget(m_reEnable);
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    column->addWidget(divider);

    m_facts->setHorizontalSpacing(16);
    m_facts->setVerticalSpacing(4);
    m_health = factRow(L("Zustand"), QStringLiteral("health"));
    m_cycles = factRow(L("Ladezyklen"), QStringLiteral("cycles"));
    m_temperature = factRow(L("Temperatur"), QStringLiteral("temperature"));
    m_adapter = factRow(L("Netzteil"), QStringLiteral("adapter"));
    m_facts->setColumnStretch(2, 1);
    column->addLayout(m_facts);

    m_error->setObjectName(QStringLiteral("error"));
    Style::red(m_error);
    Style::callout(m_error);
    column->addWidget(m_error);

    column->addStretch(1);
    auto *footnote = Style::text(
        L("Das Limit hält der Ladedienst selbst – es gilt auch, wenn diese App nicht läuft."),
        this);
    footnote->setObjectName(QStringLiteral("footnote"));
    Style::footnote(footnote);
    Style::secondary(footnote);
    column->addWidget(footnote);

    connect(m_selector, &SegmentedControl::picked, this, [this](qint64 v) { m_state.setLimit(v); });
    connect(m_fullOnce, &QPushButton::clicked, this, [this] { m_state.chargeFullOnce(); });
    connect(m_reEnable, &QPushButton::clicked, this, [this] { m_state.reEnable(); });
    connect(&m_state, &AppState::changed, this, &ChargeTab::redraw);
    redraw();
}

QLabel *ChargeTab::factRow(const QString &label, const QString &name)
{
    const int row = m_facts->rowCount();
    auto *key = new QLabel(label, this);
    auto *value = new QLabel(this);
    key->setObjectName(name + QStringLiteral("Label"));
    value->setObjectName(name + QStringLiteral("Value"));
    Style::callout(key);
    Style::callout(value);
    m_facts->addWidget(key, row, 0);
    m_facts->addWidget(value, row, 1);
    return value;
}

void ChargeTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_state.refresh();
    const QStringList writers = m_otherWriters ? m_otherWriters() : QStringList();
    m_writerNote->setText(writers.join(QLatin1Char('\n')));
    m_writerNote->setVisible(!writers.isEmpty());
}

void ChargeTab::redraw()
{
    m_status->setText(m_state.statusLine());
    m_selector->setValues(m_state.options());
    const qint64 limit = m_state.limit();
    m_selector->setSelected(limit);
    m_limitLine->setText(m_state.limitLine());

    const std::optional<QString> schedule = m_state.scheduleLine();
    m_scheduleNote->setVisible(schedule.has_value());
    if (schedule)
        m_scheduleText->setText(*schedule + QStringLiteral(" – ") +
                                L("eine Auswahl hier gilt bis zum nächsten Zeitplan-Wechsel."));

    const bool limited = limit <= 99;
    m_fullOnce->setEnabled(limited && m_state.engaged());
    m_reEnable->setVisible(limited && !m_state.engaged());

    const BatteryInfo &b = m_state.battery();
    m_health->setText(
        L("%d %% (%d von %d mAh)", b.healthPercent, b.nominalCapacity, b.designCapacity));
    m_cycles->setText(QString::number(b.cycles));
    // The temperature keeps its decimal point whatever the locale.
    const bool warm = b.temperatureC > 0;
    m_temperature->setText(QString::asprintf("%.1f °C", b.temperatureC));
    m_temperature->setVisible(warm);
    findChild<QLabel *>(QStringLiteral("temperatureLabel"))->setVisible(warm);
    const bool adapter = b.pluggedIn && b.adapterWatts >= 1;
    m_adapter->setText(QStringLiteral("%1 W").arg(b.adapterWatts));
    m_adapter->setVisible(adapter);
    findChild<QLabel *>(QStringLiteral("adapterLabel"))->setVisible(adapter);

    m_error->setVisible(m_state.error().has_value());
    m_error->setText(m_state.error().value_or(QString()));
}
