// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/ScheduleTab.h"

#include "app/AppState.h"
#include "app/Clock.h"
#include "app/L.h"
#include "policy/Scheduler.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "window/Style.h"
#include "window/TabOrder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace
{
constexpr qint64 firstEveHour = 12;
constexpr qint64 lastEveHour = 23;

// The choice standing for `value`, or none when the stored value is not offered.
void select(QComboBox *box, qint64 value)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(box->findData(value));
}
} // namespace

ScheduleTab::ScheduleTab(AppState &state, QWidget *parent)
    : QWidget(parent), m_state(state), m_on(new QCheckBox(L("Zeitplan verwenden"), this)),
      m_days(new QGroupBox(L("Ladelimit je Wochentag"), this)), m_evening(new QGroupBox(this)),
      m_eve(new QCheckBox(L("Schon am Vorabend umstellen"), m_evening)),
      m_eveHour(new QComboBox(m_evening)), m_line(Style::text({}, this))
{
    auto *column = new QVBoxLayout(this);
    m_on->setObjectName(QStringLiteral("scheduleOn"));
    column->addWidget(m_on);

    auto *days = new QFormLayout(m_days);
    for (const auto &[n, name] : Scheduler::weekdays()) {
        auto *picker = new QComboBox(m_days);
        picker->setObjectName(Key::scheduleDay(n));
        days->addRow(name, picker);
        m_dayPickers.append({n, picker});
        connect(picker, &QComboBox::activated, this, [this, n, picker](int index) {
            // Choosing the limit already set is no change: it must not take
            // back a limit picked in the menu meanwhile.
            const qint64 value = picker->itemData(index).toLongLong();
            if (value == Prefs::scheduleDay(n))
                return;
            Prefs::setScheduleDay(n, value);
            changed();
        });
    }
    column->addWidget(m_days);

    auto *evening = new QFormLayout(m_evening);
    m_eve->setObjectName(QStringLiteral("scheduleEve"));
    evening->addRow(m_eve);
    m_eveHour->setObjectName(QStringLiteral("scheduleEveHour"));
    for (qint64 hour = firstEveHour; hour <= lastEveHour; ++hour)
        m_eveHour->addItem(L("%d:00 Uhr", hour), hour);
    evening->addRow(L("ab"), m_eveHour);
    auto *note = Style::text(
        L("Beispiel: Montag auf 100 % – dann lädt der Laptop schon Sonntagabend voll für die "
          "Reise. "
          "Wählst du im Menü zwischendurch ein anderes Limit, gilt es bis zum nächsten Wechsel."),
        m_evening);
    Style::footnote(note);
    Style::secondary(note);
    evening->addRow(note);
    column->addWidget(m_evening);

    QList<QWidget *> order{m_on};
    for (const auto &[n, picker] : std::as_const(m_dayPickers))
        order.append(picker);
    TabOrder::chain(order << m_eve << m_eveHour);

    m_line->setObjectName(QStringLiteral("scheduleLine"));
    Style::callout(m_line);
    column->addWidget(m_line);
    column->addStretch(1);

    connect(m_on, &QCheckBox::clicked, this, [this](bool on) {
        if (on == Prefs::scheduleOn())
            return;
        Prefs::setScheduleOn(on);
        changed();
    });
    connect(m_eve, &QCheckBox::clicked, this, [this](bool on) {
        if (on == Prefs::scheduleEve())
            return;
        Prefs::setScheduleEve(on);
        changed();
    });
    connect(m_eveHour, &QComboBox::activated, this, [this](int index) {
        const qint64 hour = m_eveHour->itemData(index).toLongLong();
        if (hour == Prefs::scheduleEveHour())
            return;
        Prefs::setScheduleEveHour(hour);
        changed();
    });
    connect(&Prefs::d(), &SettingsStore::changed, this, &ScheduleTab::sync);
    connect(&m_state, &AppState::changed, this, &ScheduleTab::sync);
    sync();
}

void ScheduleTab::changed()
{
    Scheduler::invalidate();
    AppState &state = m_state;
    Scheduler::apply(state.clock().now(), state.options(),
                     [&state](qint64 limit) { state.setLimit(limit); });
    showLine();
}

void ScheduleTab::sync()
{
    const bool on = Prefs::scheduleOn();
    const bool eve = Prefs::scheduleEve();
    m_on->setChecked(on);
    m_eve->setChecked(eve);
    fillDayChoices();
    for (const auto &[n, picker] : m_dayPickers)
        select(picker, Scheduler::nearestOffered(Prefs::scheduleDay(n), m_offered));
    select(m_eveHour, Prefs::scheduleEveHour());
    m_days->setEnabled(on);
    m_evening->setEnabled(on);
    m_eveHour->setEnabled(eve);
    showLine();
}

void ScheduleTab::fillDayChoices()
{
    if (m_offered == m_state.options())
        return;
    m_offered = m_state.options();
    for (const auto &[n, picker] : m_dayPickers) {
        const QSignalBlocker blocker(picker);
        picker->clear();
        for (const qint64 value : m_offered)
            picker->addItem(QStringLiteral("%1 %").arg(value), value);
    }
}

void ScheduleTab::showLine()
{
    const std::optional<QString> line = m_state.scheduleLine();
    m_line->setVisible(line.has_value());
    m_line->setText(line.value_or(QString()));
}
