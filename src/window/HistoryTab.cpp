// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/HistoryTab.h"

#include "app/AppState.h"
#include "app/Clock.h"
#include "app/L.h"
#include "policy/History.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "window/AccessKeys.h"
#include "window/HealthChartLoader.h"
#include "window/HealthChartView.h"
#include "window/Style.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
enum Column { MonthColumn, HealthColumn, CyclesColumn };
// Toggle, empty note, chart and list (once built), flexible space.
enum Row { ContentRow = 2 };
} // namespace

HistoryTab::HistoryTab(History &history, AppState &state, QWidget *parent)
    : QWidget(parent), m_history(history), m_state(state),
      m_on(new QCheckBox(L("Akku-Gesundheit monatlich aufzeichnen"), this)),
      m_empty(new QLabel(L("Noch keine Einträge."), this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(12);
    m_on->setObjectName(Key::historyOn);
    column->addWidget(m_on);
    m_empty->setObjectName(QStringLiteral("emptyHistory"));
    Style::secondary(m_empty);
    column->addWidget(m_empty);
    column->addStretch(1);

    auto sync = [this] { m_on->setChecked(Prefs::historyOn()); };
    sync();
    connect(&Prefs::d(), &SettingsStore::changed, this, [sync](const QString &key) {
        if (key == Key::historyOn)
            sync();
    });
    connect(m_on, &QCheckBox::clicked, this, [this](bool on) {
        Prefs::setHistoryOn(on);
        if (on)
            m_history.record(m_state.battery(), m_state.clock().now());
    });
    connect(&m_history, &History::samplesChanged, this, &HistoryTab::redraw);
    redraw();
}

void HistoryTab::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_content) {
        build();
        redraw();
    }
}

void HistoryTab::build()
{
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("historyContent"));
    auto *column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(12);

    m_chart = HealthChartLoader::create(m_content);
    if (m_chart) {
        // A picture to the keyboard: named and summed up, and the list below
        // is its text, row by row.
        m_chart->widget()->setFocusPolicy(Qt::NoFocus);
        if (auto *view = qobject_cast<QAbstractScrollArea *>(m_chart->widget()))
            view->viewport()->setFocusPolicy(Qt::NoFocus);
        m_chart->widget()->setAccessibleName(L("Akku-Zustand über die Monate"));
        column->addWidget(m_chart->widget());
    }

    m_list = new QTreeWidget(m_content);
    m_list->setObjectName(QStringLiteral("historyList"));
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({L("Monat"), L("Zustand"), L("Zyklen")});
    m_list->headerItem()->setTextAlignment(HealthColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_list->headerItem()->setTextAlignment(CyclesColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_list->setAccessibleName(L("Verlauf"));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    // Focusable, so every row can be reached and read from the keyboard.
    m_list->setFocusPolicy(Qt::StrongFocus);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(MonthColumn, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(HealthColumn, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(CyclesColumn, QHeaderView::Fixed);
    m_list->header()->resizeSection(CyclesColumn, 90);
    column->addWidget(m_list, 1);

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    auto *clear = new QPushButton(L("Verlauf löschen …"), m_content);
    clear->setObjectName(QStringLiteral("clearHistory"));
    row->addWidget(clear);
    column->addLayout(row);
    connect(clear, &QPushButton::clicked, this, &HistoryTab::askToClear);
    AccessKeys::assign(this);

    static_cast<QVBoxLayout *>(layout())->insertWidget(ContentRow, m_content, 1);
}

void HistoryTab::redraw()
{
    const QList<HealthSample> &samples = m_history.samples();
    m_empty->setVisible(samples.isEmpty());
    if (!m_content)
        return;
    m_content->setVisible(!samples.isEmpty());
    // The flexible space keeps toggle and note at the top; the list takes it over.
    static_cast<QVBoxLayout *>(layout())->setStretch(ContentRow + 1, samples.isEmpty() ? 1 : 0);
    if (samples.isEmpty())
        return;
    if (m_chart) {
        m_chart->setSamples(samples);
        m_chart->widget()->setAccessibleDescription(summary(samples));
    }

    m_list->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(samples.size());
    for (auto it = samples.crbegin(); it != samples.crend(); ++it) {
        auto *item = new QTreeWidgetItem;
        item->setText(MonthColumn, monthName(it->month));
        item->setText(HealthColumn, QStringLiteral("%1 %").arg(it->health));
        item->setText(CyclesColumn, L("%d Zyklen", it->cycles));
        item->setTextAlignment(HealthColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(CyclesColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setForeground(CyclesColumn, Style::secondaryText(palette(), QPalette::Base));
        rows.append(item);
    }
    m_list->addTopLevelItems(rows);
    m_list->setCurrentItem(rows.first());
    // A 90-point box, wider where the desktop's font needs it for the count.
    int cycles = 90;
    const QFontMetrics fm = m_list->fontMetrics();
    for (const QTreeWidgetItem *item : std::as_const(rows))
        cycles = std::max(cycles, fm.horizontalAdvance(item->text(CyclesColumn)) + 8);
    m_list->header()->resizeSection(CyclesColumn, cycles);
}

QString HistoryTab::monthName(double month)
{
    const QDateTime at =
        QDateTime::fromSecsSinceEpoch(static_cast<qint64>(month) + HealthSample::referenceEpoch);
    return appLocale().toString(at.date(), QStringLiteral("MMMM yyyy"));
}

QString HistoryTab::summary(const QList<HealthSample> &samples)
{
    const HealthSample &first = samples.first();
    const HealthSample &last = samples.last();
    if (samples.size() == 1)
        return L("%@: Zustand %d %%", monthName(first.month), first.health);
    return L("%@ bis %@: Zustand von %d %% auf %d %%", monthName(first.month),
             monthName(last.month), first.health, last.health);
}

void HistoryTab::askToClear()
{
    if (m_confirm)
        return;
    m_confirm = new QMessageBox(QMessageBox::Warning, L("Den ganzen Verlauf löschen?"),
                                L("Den ganzen Verlauf löschen?"), QMessageBox::NoButton, this);
    m_confirm->setObjectName(QStringLiteral("clearConfirmation"));
    m_confirm->setInformativeText(L("Das lässt sich nicht rückgängig machen."));
    QPushButton *erase = m_confirm->addButton(L("Löschen"), QMessageBox::DestructiveRole);
    erase->setObjectName(QStringLiteral("confirmClear"));
    QPushButton *keep = m_confirm->addButton(L("Abbrechen"), QMessageBox::RejectRole);
    keep->setObjectName(QStringLiteral("cancelClear"));
    m_confirm->setDefaultButton(keep);
    m_confirm->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_confirm, &QMessageBox::buttonClicked, this, [this, erase](QAbstractButton *b) {
        if (b == erase)
            m_history.clear();
    });
    m_confirm->open();
}
