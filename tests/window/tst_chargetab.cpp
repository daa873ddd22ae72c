// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowRig.h"
#include "window/ChargeTab.h"
#include "window/SegmentedControl.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

// The limit selector as drawn: its segments in row order, each named after its value.
struct Segments {
    SegmentedControl *control;

    QList<QAbstractButton *> buttons() const
    {
        QList<QAbstractButton *> row;
        for (int i = 0; i < control->layout()->count(); ++i)
            if (auto *b = qobject_cast<QAbstractButton *>(control->layout()->itemAt(i)->widget()))
                row << b;
        return row;
    }
    static qint64 value(const QAbstractButton *b)
    {
        return b->objectName().section(QLatin1Char('_'), 1).toLongLong();
    }
    QList<qint64> values() const
    {
        QList<qint64> result;
        for (const QAbstractButton *b : buttons())
            result << value(b);
        return result;
    }
    QAbstractButton *segment(qint64 v) const
    {
        for (QAbstractButton *b : buttons())
            if (value(b) == v)
                return b;
        return nullptr;
    }
    std::optional<qint64> selected() const
    {
        for (const QAbstractButton *b : buttons())
            if (b->isChecked())
                return value(b);
        return std::nullopt;
    }
};

// The Charge tab: what it shows of the state and the commands it sends.
class TestChargeTab : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { useTemporaryHome(); }
    void init() { Prefs::d().clear(); }

    void buttonsFollowLimitAndEngagement_data()
    {
        QTest::addColumn<quint64>("clientLimit");
        QTest::addColumn<qint64>("enabled");
        QTest::addColumn<qint64>("chosen"); // -1: nothing stored
        QTest::addColumn<qint64>("shownLimit");
        QTest::addColumn<bool>("fullOnceEnabled");
        QTest::addColumn<bool>("reEnablePresent");

        QTest::newRow("no limit") << quint64(100) << qint64(0) << qint64(-1) << qint64(100) << false
                                  << false;
        QTest::newRow("limit 80 holding")
            << quint64(80) << qint64(1) << qint64(-1) << qint64(80) << true << false;
        QTest::newRow("limit 80 suspended for one charge")
            << quint64(100) << qint64(1) << qint64(80) << qint64(80) << false << true;
        QTest::newRow("limit 99 holding")
            << quint64(99) << qint64(1) << qint64(-1) << qint64(99) << true << false;
    }
    void buttonsFollowLimitAndEngagement()
    {
        QFETCH(quint64, clientLimit);
        QFETCH(qint64, enabled);
        QFETCH(qint64, chosen);
        QFETCH(qint64, shownLimit);
        QFETCH(bool, fullOnceEnabled);
        QFETCH(bool, reEnablePresent);
        if (chosen >= 0)
            Prefs::setChosenLimit(chosen);

        WindowRig rig({.limit = clientLimit, .enabled = enabled});
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        QCOMPARE(rig.state->limit(), shownLimit);
        auto *fullOnce = tab->findChild<QPushButton *>(QStringLiteral("chargeFullOnce"));
        auto *reEnable = tab->findChild<QPushButton *>(QStringLiteral("reEnable"));
        QCOMPARE(fullOnce->isEnabled(), fullOnceEnabled);
        QCOMPARE(reEnable->isVisible(), reEnablePresent);
        if (reEnablePresent)
            QVERIFY(reEnable->isEnabled());
    }

    void fullChargeThenReEnable()
    {
        WindowRig rig({.limit = 80});
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        auto *fullOnce = tab->findChild<QPushButton *>(QStringLiteral("chargeFullOnce"));
        auto *reEnable = tab->findChild<QPushButton *>(QStringLiteral("reEnable"));

        click(fullOnce);
        QCOMPARE(rig.client->sent.count(QStringLiteral("temporarilyDisableMCL")), 1);
        QVERIFY(!rig.state->engaged());
        QVERIFY(!fullOnce->isEnabled());
        QVERIFY(reEnable->isVisible());

        click(reEnable);
        QCOMPARE(rig.client->sent.count(QStringLiteral("enableMCL")), 1);
        QVERIFY(rig.state->engaged());
        QVERIFY(fullOnce->isEnabled());
        QVERIFY(!reEnable->isVisible());
    }

    void selectorShowsOptionsAndTheLimitInForce_data()
    {
        QTest::addColumn<quint64>("clientLimit");
        QTest::addColumn<QVariant>("selected");
        QTest::newRow("80 among the options") << quint64(80) << QVariant(qint64(80));
        QTest::newRow("83 not among them") << quint64(83) << QVariant();
        QTest::newRow("no limit selects 100") << quint64(100) << QVariant(qint64(100));
    }
    void selectorShowsOptionsAndTheLimitInForce()
    {
        QFETCH(quint64, clientLimit);
        QFETCH(QVariant, selected);
        WindowRig rig({.limit = clientLimit, .enabled = 0});
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        const Segments selector{
            tab->findChild<SegmentedControl *>(QStringLiteral("limitSelector"))};
        QCOMPARE(selector.values(), (QList<qint64>{80, 85, 90, 95, 100}));
        QCOMPARE(selector.segment(85)->text(), QStringLiteral("85 %"));
        const std::optional<qint64> shown = selector.selected();
        QCOMPARE(shown.has_value(), selected.isValid());
        if (shown)
            QCOMPARE(*shown, selected.toLongLong());
    }

    void pickingASegmentSetsThatLimitOnce()
    {
        WindowRig rig({.limit = 80});
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        const Segments selector{
            tab->findChild<SegmentedControl *>(QStringLiteral("limitSelector"))};

        click(selector.segment(80));
        QVERIFY(rig.client->limitsSent().isEmpty());

        click(selector.segment(90));
        QCOMPARE(rig.client->limitsSent(), QList<qint64>{90});
        QCOMPARE(selector.selected(), std::optional<qint64>(90));
        QVERIFY(!selector.segment(80)->isChecked());
    }

    void aRefusedPickShowsTheErrorAndKeepsTheSelection()
    {
        WindowRig rig({.limit = 80});
        rig.client->failure =
            ChargeError{QStringLiteral("org.voltquill"), 3, QStringLiteral("Nicht berechtigt.")};
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        const Segments selector{
            tab->findChild<SegmentedControl *>(QStringLiteral("limitSelector"))};
        auto *error = tab->findChild<QLabel *>(QStringLiteral("error"));
        QVERIFY(!error->isVisible());

        click(selector.segment(95));
        QCOMPARE(selector.selected(), std::optional<qint64>(80));
        QVERIFY(error->isVisible());
        QVERIFY(error->text().contains(QStringLiteral("Nicht berechtigt.")));

        rig.client->failure.reset();
        click(selector.segment(95));
        QVERIFY(!error->isVisible());
    }

    void batteryFacts_data()
    {
        QTest::addColumn<std::optional<BatteryReading>>("battery");
        QTest::addColumn<QString>("health");
        QTest::addColumn<QString>("cycles");
        QTest::addColumn<QString>("temperature"); // empty: no row
        QTest::addColumn<QString>("adapter");     // empty: no row

        QTest::newRow("no battery") << std::optional<BatteryReading>() << "0 % (0 von 0 mAh)"
                                    << "0"
                                    << ""
                                    << "";
        QTest::newRow("charging on a 96 W adapter")
            << std::optional(batteryReading(72, true, true)) << "94 % (4123 von 4382 mAh)"
            << "123"
            << "30.1 °C"
            << "96 W";
        QTest::newRow("on battery the adapter row goes")
            << std::optional(batteryReading(72, false, false)) << "94 % (4123 von 4382 mAh)"
            << "123"
            << "30.1 °C"
            << "";
        QTest::newRow("plugged in without watts")
            << std::optional(batteryReading(72, false, true, 5, 5000, 5000, 295, 0))
            << "100 % (5000 von 5000 mAh)"
            << "5"
            << "29.5 °C"
            << "";
        QTest::newRow("no temperature")
            << std::optional(batteryReading(50, false, true, 1234, 4000, 3000, 0, 30))
            << "75 % (3000 von 4000 mAh)"
            << "1234"
            << ""
            << "30 W";
    }
    void batteryFacts()
    {
        QFETCH(std::optional<BatteryReading>, battery);
        QFETCH(QString, health);
        QFETCH(QString, cycles);
        QFETCH(QString, temperature);
        QFETCH(QString, adapter);
        WindowRig rig({.battery = battery});
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        auto label = [tab](const char *name) {
            return tab->findChild<QLabel *>(QLatin1String(name));
        };
        QCOMPARE(label("healthValue")->text(), health);
        QCOMPARE(label("cyclesValue")->text(), cycles);
        QCOMPARE(label("temperatureLabel")->isVisible(), !temperature.isEmpty());
        QCOMPARE(label("temperatureValue")->isVisible(), !temperature.isEmpty());
        if (!temperature.isEmpty())
            QCOMPARE(label("temperatureValue")->text(), temperature);
        QCOMPARE(label("adapterLabel")->isVisible(), !adapter.isEmpty());
        if (!adapter.isEmpty())
            QCOMPARE(label("adapterValue")->text(), adapter);
    }

    void redrawsWhenTheBatteryChanges()
    {
        WindowRig rig({.battery = std::nullopt});
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        auto *cycles = tab->findChild<QLabel *>(QStringLiteral("cyclesValue"));
        QCOMPARE(cycles->text(), QStringLiteral("0"));
        rig.registry.reported = batteryReading(40, false, false, 321);
        rig.state->refresh();
        QCOMPARE(cycles->text(), QStringLiteral("321"));
    }

    void showingTheTabRefreshes()
    {
        WindowRig rig;
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        rig.window->view()->tabs()->setCurrentIndex(SettingsView::General);
        QVERIFY(!tab->isVisible());
        const int reads = rig.client->sent.count(QStringLiteral("getMCLLimit"));
        rig.window->view()->tabs()->setCurrentIndex(SettingsView::Charge);
        QVERIFY(rig.client->sent.count(QStringLiteral("getMCLLimit")) > reads);
    }

    void otherWritersAreNamedBelowTheLimit()
    {
        WindowRig rig;
        rig.otherWriters = {QStringLiteral("TLP schreibt ebenfalls Ladeschwellen "
                                           "(STOP_CHARGE_THRESH_BAT0 in /etc/tlp.conf).")};
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        auto *note = tab->findChild<QLabel *>(QStringLiteral("otherWriters"));
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), rig.otherWriters.first());
        const auto *limitLine = tab->findChild<QLabel *>(QStringLiteral("limitLine"));
        QVERIFY(note->geometry().top() > limitLine->geometry().bottom());

        // Asked again at the next showing: the other program was switched off.
        rig.otherWriters.clear();
        rig.window->view()->tabs()->setCurrentIndex(SettingsView::General);
        rig.window->view()->tabs()->setCurrentIndex(SettingsView::Charge);
        QVERIFY(!note->isVisible());
    }

    void footnoteUsesTheLinuxWording()
    {
        WindowRig rig;
        auto *tab = rig.open<ChargeTab>(SettingsView::Charge);
        const QString footnote = tab->findChild<QLabel *>(QStringLiteral("footnote"))->text();
        QCOMPARE(footnote, QStringLiteral("Das Limit hält der Ladedienst selbst – es gilt auch, "
                                          "wenn diese App nicht läuft."));
    }
};

QTEST_MAIN(TestChargeTab)
#include "tst_chargetab.moc"
