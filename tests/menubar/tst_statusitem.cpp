// SPDX-License-Identifier: GPL-3.0-or-later
// The status item and its menu over a real AppState, with a fake charge client
// and a fake battery at the platform edge.
#include "IconPixels.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "menubar/ButtonImage.h"
#include "menubar/MenuIcon.h"
#include "menubar/SlotPictures.h"
#include "menubar/StatusItem.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeChargeClient.h"
#include "support/TrayRig.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <cmath>
#include <memory>

namespace
{
// One world: battery, client, state and the status item, with a tray present.
struct World : TrayRig {
    using TrayRig::TrayRig;

    // Opens the menu as the tray does and lists its rows.
    QStringList openMenu()
    {
        QMenu *menu = item->menu();
        if (!menu)
            return {QStringLiteral("no menu")};
        Q_EMIT menu->aboutToShow();
        return rows(*menu);
    }

    QAction *row(const QString &title) const
    {
        for (QAction *a : item->menu()->actions())
            if (a->text() == title)
                return a;
        return nullptr;
    }

    // A row as "title", with " [x]" or " [ ]" when checkable, " (off)" when
    // disabled and " <shortcut>"; separators as "---".
    static QStringList rows(const QMenu &menu)
    {
        QStringList out;
        for (const QAction *a : menu.actions()) {
            if (!a->isVisible())
                continue;
            if (a->isSeparator()) {
                out << QStringLiteral("---");
                continue;
            }
            QString r = a->text();
            if (a->isCheckable())
                r += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
            if (!a->isEnabled())
                r += QStringLiteral(" (off)");
            if (!a->shortcut().isEmpty())
                r += QLatin1Char(' ') + a->shortcut().toString(QKeySequence::PortableText);
            out << r;
        }
        return out;
    }
};

// Rows expected: {status}, {limit} and {schedule} stand for the state's lines
// (they are disabled rows); {schedule} is dropped while the state has none.
QStringList expand(QStringList rows, const AppState &state)
{
    QStringList out;
    for (const QString &r : rows) {
        if (r == QLatin1String("{status}"))
            out << state.statusLine() + QStringLiteral(" (off)");
        else if (r == QLatin1String("{limit}"))
            out << state.limitLine() + QStringLiteral(" (off)");
        else if (r == QLatin1String("{schedule}")) {
            if (const auto line = state.scheduleLine())
                out << *line + QStringLiteral(" (off)");
        } else
            out << r;
    }
    return out;
}

double luminance(const QColor &c)
{
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

const QString health = QStringLiteral("Zustand 92 %  ·  123 Zyklen (off)");
const QString settingsRow = QStringLiteral("Einstellungen … Ctrl+,");
const QString quitRow = QStringLiteral("Voltquill beenden Ctrl+Q");
} // namespace

class TestStatusItem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void menuRows_data();
    void menuRows();
    void firmwareWarningRow();
    void germanShortcutNames();
    void menuRebuiltOnEveryOpening();
    void warningAfterFailedPick();
    void passwordWaitShown();
    void menuActions_data();
    void menuActions();
    void button_data();
    void button();
    void contrastOnPanel_data();
    void contrastOnPanel();
    void blinkConditions_data();
    void blinkConditions();
    void blinkFadesAndStopsOnPlugging();
    void noTimerWhileIdle();
    void drawsOnlyChangesAndShownSizes();
    void showIconSwitch();
    void waitsForTray_data();
    void waitsForTray();
    void asksForHostAtEveryTry();

private:
    QTemporaryDir m_config;
    BoundSettings m_settings{m_config.filePath(QStringLiteral("Voltquill/settings.json"))};
};

void TestStatusItem::initTestCase()
{
    QVERIFY(m_config.isValid());
    // The offscreen platform has no tray window to follow; Qt says so at every icon.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.core.qobject.connect.warning=false"));
    qputenv("XDG_DATA_HOME", m_config.path().toUtf8());
}

void TestStatusItem::init()
{
    Prefs::d().clear();
}

void TestStatusItem::menuRows_data()
{
    QTest::addColumn<qint64>("clientLimit");
    QTest::addColumn<bool>("suspended");
    QTest::addColumn<bool>("pluggedIn");
    QTest::addColumn<qint64>("watts");
    QTest::addColumn<bool>("scheduleOn");
    QTest::addColumn<QStringList>("expected");

    const QStringList head{"{status}", "{limit}", "---", "Laden bis (off)"};
    const QStringList tail{"---", settingsRow, quitRow};
    const auto options = [](qint64 checked) {
        QStringList out;
        for (const qint64 v : {80, 85, 90, 95, 100})
            out << QStringLiteral("%1 % %2").arg(v).arg(v == checked ? "[x]" : "[ ]");
        return out;
    };

    QTest::newRow("85 engaged") << qint64(85) << false << false << qint64(0) << false
                                << head + options(85) +
                                       QStringList{"Einmal voll laden (bis zum Abstecken)", "---",
                                                   health} +
                                       tail;
    QTest::newRow("85 suspended: stays checked")
        << qint64(85) << true << true << qint64(0) << false
        << head + options(85) + QStringList{"Limit sofort wieder einschalten", "---", health} +
               tail;
    QTest::newRow("no limit: 100 checked, no suspend row")
        << qint64(100) << false << false << qint64(0) << false
        << head + options(100) + QStringList{"---", health} + tail;
    QTest::newRow("adapter with 96 W")
        << qint64(100) << false << true << qint64(96) << false
        << head + options(100) + QStringList{"---", health, "Netzteil 96 W (off)"} + tail;
    QTest::newRow("adapter reporting 0 W")
        << qint64(100) << false << true << qint64(0) << false
        << head + options(100) + QStringList{"---", health} + tail;
    QTest::newRow("watts but on battery")
        << qint64(100) << false << false << qint64(60) << false
        << head + options(100) + QStringList{"---", health} + tail;
    QStringList withSchedule{"{status}", "{limit}", "{schedule}", "---", "Laden bis (off)"};
    QTest::newRow("schedule on") << qint64(85) << false << false << qint64(0) << true
                                 << withSchedule + options(85) +
                                        QStringList{"Einmal voll laden (bis zum Abstecken)", "---",
                                                    health} +
                                        tail;
}

void TestStatusItem::menuRows()
{
    QFETCH(qint64, clientLimit);
    QFETCH(bool, suspended);
    QFETCH(bool, pluggedIn);
    QFETCH(qint64, watts);
    QFETCH(bool, scheduleOn);
    QFETCH(QStringList, expected);

    Prefs::d().setBool(Key::scheduleOn, scheduleOn);
    if (suspended)
        Prefs::setChosenLimit(clientLimit);
    World w([&](FakeChargeClient &c) {
        c.limit = static_cast<quint64>(clientLimit);
        c.suspended = suspended;
    });
    w.battery.reading().external = pluggedIn;
    w.battery.reading().adapterWatts = watts;
    w.item->updateStatusItem();
    // The menu refreshes the state before it shows it.
    const QStringList rows = w.openMenu();
    QCOMPARE(rows, expand(expected, *w.state));
    QCOMPARE(w.state->engaged(), !suspended);
    if (!scheduleOn)
        QVERIFY(!w.state->scheduleLine());
    // The status line is bold at the menu's own size, not a headline.
    QMenu *menu = w.item->menu();
    const QFont first = menu->actions().constFirst()->font();
    QVERIFY(first.bold());
    QCOMPARE(first.pointSizeF(), menu->font().pointSizeF());
    // The limit rows are one choice; the information rows, though disabled,
    // are drawn in the menu's text colour.
    QActionGroup *group = nullptr;
    for (QAction *a : menu->actions()) {
        if (!a->isCheckable())
            continue;
        QVERIFY(a->actionGroup());
        QVERIFY(!group || group == a->actionGroup());
        group = a->actionGroup();
    }
    QVERIFY(group && group->isExclusive());
    QCOMPARE(menu->palette().color(QPalette::Disabled, QPalette::Text),
             menu->palette().color(QPalette::Active, QPalette::Text));
}

void TestStatusItem::firmwareWarningRow()
{
    World w([](FakeChargeClient &c) {
        c.limit = 80;
        c.ignored = 80;
    });
    const QString warning =
        QStringLiteral("⚠ Die Firmware hält das Ladelimit nicht ein (Akku lädt über 80 %). (off)");
    w.item->updateStatusItem();
    QStringList rows = w.openMenu();
    QCOMPARE(rows.mid(0, 3), expand({"{status}", "{limit}", warning}, *w.state));
    const qsizetype actions = w.item->menu()->actions().size();

    // No longer reported (a new limit): hidden, the menu keeps its shape.
    w.client->ignored = 0;
    rows = w.openMenu();
    QVERIFY(!rows.contains(warning));
    QCOMPARE(w.item->menu()->actions().size(), actions);
}

void TestStatusItem::germanShortcutNames()
{
    // Qt's own German texts, as the agent loads them.
    QTranslator qtbase;
    if (!qtbase.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QSKIP("Qt's German translation is not installed (qt6-translations-l10n)");
    QCoreApplication::installTranslator(&qtbase);
    World w;
    w.item->updateStatusItem();
    w.openMenu();
    QCOMPARE(
        w.row(QStringLiteral("Voltquill beenden"))->shortcut().toString(QKeySequence::NativeText),
        QStringLiteral("Strg+Q"));
    QCOMPARE(
        w.row(QStringLiteral("Einstellungen …"))->shortcut().toString(QKeySequence::NativeText),
        QStringLiteral("Strg+,"));
    QCoreApplication::removeTranslator(&qtbase);
}

void TestStatusItem::menuRebuiltOnEveryOpening()
{
    World w([](FakeChargeClient &c) { c.limit = 80; });
    w.item->updateStatusItem();
    w.openMenu();
    QVERIFY(w.row(QStringLiteral("80 %"))->isChecked());
    // Changed behind the agent's back: the next opening reads it back.
    w.client->limit = 90;
    w.plugIn(65);
    const QStringList rows = w.openMenu();
    QVERIFY(w.row(QStringLiteral("90 %"))->isChecked());
    QVERIFY(!w.row(QStringLiteral("80 %"))->isChecked());
    QVERIFY(rows.contains(QStringLiteral("Netzteil 65 W (off)")));
    QCOMPARE(rows.count(QStringLiteral("Laden bis (off)")), 1);
}

void TestStatusItem::warningAfterFailedPick()
{
    World w([](FakeChargeClient &c) { c.limit = 80; });
    w.item->updateStatusItem();
    w.openMenu();
    w.client->failure =
        ChargeError{QStringLiteral("org.voltquill"), 3, QStringLiteral("Zugriff verweigert")};
    w.row(QStringLiteral("90 %"))->trigger();
    QCOMPARE(w.client->commands(), QStringList{"setLimit 90"});

    const QString warning =
        QStringLiteral(u"\u26A0\uFE0E Limit konnte nicht gesetzt werden: Zugriff verweigert (off)");
    QStringList rows = w.openMenu();
    QCOMPARE(rows.mid(rows.indexOf(health), 3), (QStringList{health, warning, "---"}));
    QVERIFY(w.row(QStringLiteral("80 %"))->isChecked());

    // The next successful command clears it.
    w.client->failure.reset();
    w.row(QStringLiteral("95 %"))->trigger();
    rows = w.openMenu();
    QVERIFY(!rows.contains(warning));
    QVERIFY(w.row(QStringLiteral("95 %"))->isChecked());
}

void TestStatusItem::passwordWaitShown()
{
    World w([](FakeChargeClient &c) { c.limit = 80; });
    w.item->updateStatusItem();
    const QStringList before = w.openMenu();
    QVERIFY(w.client->authorizationWait);
    // What the D-Bus client says while polkit asks someone for the password.
    w.client->authorizationWait(true);
    const QString waiting = QStringLiteral("Wartet auf die Anmeldung als Administrator … (off)");
    QStringList rows = w.openMenu();
    QCOMPARE(rows.indexOf(waiting), rows.indexOf(w.state->limitLine() + " (off)") + 1);
    rows.removeOne(waiting);
    QCOMPARE(rows, before);
    w.client->authorizationWait(false);
    QCOMPARE(w.openMenu(), before);
}

void TestStatusItem::menuActions_data()
{
    QTest::addColumn<bool>("suspended");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("windowShown");
    QTest::addColumn<bool>("quit");
    QTest::addColumn<QString>("checkedAfter");
    QTest::newRow("pick 90") << false << "90 %" << QStringList{"setLimit 90"} << 0 << false
                             << "90 %";
    QTest::newRow("pick 100: no limit")
        << false << "100 %" << QStringList{"setLimit 100"} << 0 << false << "100 %";
    QTest::newRow("charge fully once") << false << "Einmal voll laden (bis zum Abstecken)"
                                       << QStringList{"suspendLimit"} << 0 << false << "85 %";
    QTest::newRow("re-enable") << true << "Limit sofort wieder einschalten"
                               << QStringList{"resumeLimit"} << 0 << false << "85 %";
    QTest::newRow("settings") << false << "Einstellungen …" << QStringList{} << 1 << false
                              << "85 %";
    QTest::newRow("quit") << false << "Voltquill beenden" << QStringList{} << 0 << true << "85 %";
}

void TestStatusItem::menuActions()
{
    QFETCH(bool, suspended);
    QFETCH(QString, row);
    QFETCH(QStringList, calls);
    QFETCH(int, windowShown);
    QFETCH(bool, quit);
    QFETCH(QString, checkedAfter);

    Prefs::setChosenLimit(85);
    World w([&](FakeChargeClient &c) {
        c.limit = 85;
        c.suspended = suspended;
    });
    w.item->updateStatusItem();
    QSignalSpy quitSpy(w.item.get(), &StatusItem::quitRequested);
    w.openMenu();
    QAction *action = w.row(row);
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    action->trigger();
    QCOMPARE(w.client->commands(), calls);
    QCOMPARE(w.window.shown, windowShown);
    QCOMPARE(quitSpy.count(), quit ? 1 : 0);
    // The button follows at once: the tooltip carries the new limit line.
    QCOMPARE(w.item->item()->toolTip(), w.state->statusLine() + "\n" + w.state->limitLine());
    w.openMenu();
    QVERIFY(w.row(checkedAfter)->isChecked());
}

void TestStatusItem::button_data()
{
    QTest::addColumn<qint64>("style");
    QTest::addColumn<bool>("suspended");
    QTest::addColumn<bool>("number");
    QTest::addColumn<bool>("marker");
    QTest::newRow("style 0") << qint64(0) << false << true << true;
    QTest::newRow("style 1") << qint64(1) << false << false << true;
    // An XEmbed tray shows no text beside the icon: the number stays inside.
    QTest::newRow("style 2 without a label") << qint64(2) << false << true << true;
    QTest::newRow("style 7 as 1") << qint64(7) << false << false << true;
    QTest::newRow("suspended: no marker") << qint64(1) << true << false << false;
}

void TestStatusItem::button()
{
    QFETCH(qint64, style);
    QFETCH(bool, suspended);
    QFETCH(bool, number);
    QFETCH(bool, marker);
    Prefs::setIconStyle(style);
    Prefs::setChosenLimit(80);
    // A panel known to be dark: the icon is one colour, without an outline.
    World w(
        [&](FakeChargeClient &c) {
            c.limit = 80;
            c.suspended = suspended;
        },
        {.trayAvailable = [] { return true; },
         .session =
             [] {
                 PanelColour::Session s;
                 s.currentDesktop = QStringLiteral("GNOME");
                 return s;
             }});
    w.battery.reading().percent = 45;
    w.battery.reading().charging = true;
    w.plugIn();
    w.state->refresh();
    w.item->updateStatusItem();

    // One square picture per slot size, each drawn for its size.
    const QIcon icon = w.item->item()->icon();
    for (const int side : ButtonImage::slotPixels()) {
        const QImage image = w.item->buttonImage(side);
        QCOMPARE(image.size(), QSize(side, side));
        QVERIFY(icon.availableSizes().contains(QSize(side, side)));
        QCOMPARE(icon.pixmap(QSize(side, side)).size(), QSize(side, side));
    }
    const QImage image = w.item->buttonImage(44);
    const MenuIcon expected = MenuIcon::image(45, number, Badge::charging, suspended ? 100 : 80);
    QCOMPARE(MenuIcon::tinted(image, Qt::black), expected.renderSlot(44, Qt::black));
    QCOMPARE(IconPixels(image).maxAlpha(QRectF(0, 0, 44, 6.0)) > 0, marker);
    // The tooltip is the icon's description, what a panel reads out for it,
    // whatever the picture shows: it begins with the charge.
    QCOMPARE(w.item->item()->toolTip(), w.state->statusLine() + "\n" + w.state->limitLine());
    QVERIFY(w.item->item()->toolTip().startsWith(QStringLiteral("Akku 45 %")));
}

void TestStatusItem::contrastOnPanel_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QByteArray>("xfceDarkMode"); // empty: no Xfce panel file
    QTest::addColumn<PanelColour::Scheme>("portal");
    QTest::addColumn<qint64>("choice");
    QTest::addColumn<QColor>("panel");
    using S = PanelColour::Scheme;
    const QColor dark(0x33, 0x33, 0x33), light(0xf0, 0xf0, 0xf0), black(0x1e, 0x1e, 0x1e);
    QTest::newRow("GNOME's top bar") << "GNOME" << QByteArray() << S::light << qint64(0) << black;
    QTest::newRow("Xfce dark panel")
        << "XFCE" << QByteArray("true") << S::unknown << qint64(0) << dark;
    QTest::newRow("Xfce light panel")
        << "XFCE" << QByteArray("false") << S::dark << qint64(0) << light;
    QTest::newRow("portal: dark") << "LXQt" << QByteArray() << S::dark << qint64(0) << dark;
    QTest::newRow("portal: light") << "LXQt" << QByteArray() << S::light << qint64(0) << light;
    QTest::newRow("chosen light") << "LXQt" << QByteArray() << S::unknown << qint64(1) << dark;
    QTest::newRow("chosen dark") << "GNOME" << QByteArray() << S::unknown << qint64(2) << light;
}

// On the panel the desktop describes, the icon stands out at least 3:1, the
// least contrast for a graphic that carries meaning.
void TestStatusItem::contrastOnPanel()
{
    QFETCH(QString, desktop);
    QFETCH(QByteArray, xfceDarkMode);
    QFETCH(PanelColour::Scheme, portal);
    QFETCH(qint64, choice);
    QFETCH(QColor, panel);
    QTemporaryDir home;
    if (!xfceDarkMode.isEmpty()) {
        const QString dir = home.filePath(QStringLiteral("xfce4/xfconf/xfce-perchannel-xml"));
        QVERIFY(QDir().mkpath(dir));
        QFile f(dir + QStringLiteral("/xfce4-panel.xml"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"(<channel name="xfce4-panel"><property name="panels" type="array">)"
                R"(<property name="dark-mode" type="bool" value=")" +
                xfceDarkMode + R"("/></property></channel>)");
    }
    Prefs::d().setInteger(Key::iconColour, choice);
    // The application palette is light: a panel said dark must still win.
    World w({}, {.trayAvailable = [] { return true; },
                 .session =
                     [&] {
                         PanelColour::Session s;
                         s.currentDesktop = desktop;
                         s.configDirs = {home.path()};
                         s.portal = portal;
                         return s;
                     }});
    w.battery.reading().percent = 80;
    w.state->refresh();
    w.item->updateStatusItem();
    QVERIFY(w.item->item());

    for (const int side : {22, 44}) {
        QImage onPanel(side, side, QImage::Format_RGB32);
        onPanel.fill(panel);
        QPainter(&onPanel).drawImage(0, 0, w.item->buttonImage(side));
        // The digits' area: a good part of the picture must stand out.
        qreal strong = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (contrast(onPanel.pixelColor(x, y), panel) >= 3.0)
                    strong += 1.0;
        strong /= (side / 22.0) * (side / 22.0);
        QVERIFY2(strong >= 40.0, qPrintable(QStringLiteral("%1 px at 3:1").arg(strong)));
    }
}

void TestStatusItem::blinkConditions_data()
{
    QTest::addColumn<bool>("present");
    QTest::addColumn<qint64>("percent");
    QTest::addColumn<bool>("pluggedIn");
    QTest::addColumn<QVariant>("blinkLow");       // invalid: not stored
    QTest::addColumn<QVariant>("blinkThreshold"); // invalid: not stored
    QTest::addColumn<bool>("blinks");
    QTest::newRow("10 % on battery")
        << true << qint64(10) << false << QVariant() << QVariant() << true;
    QTest::newRow("11 % on battery")
        << true << qint64(11) << false << QVariant() << QVariant() << false;
    QTest::newRow("3 % on battery")
        << true << qint64(3) << false << QVariant() << QVariant() << true;
    QTest::newRow("10 % plugged in")
        << true << qint64(10) << true << QVariant() << QVariant() << false;
    QTest::newRow("no battery") << false << qint64(0) << false << QVariant() << QVariant() << false;
    QTest::newRow("switched off") << true << qint64(5) << false << QVariant(false) << QVariant()
                                  << false;
    QTest::newRow("threshold 20") << true << qint64(20) << false << QVariant() << QVariant(20)
                                  << true;
    QTest::newRow("threshold 0") << true << qint64(1) << false << QVariant() << QVariant(0)
                                 << false;
}

void TestStatusItem::blinkConditions()
{
    QFETCH(bool, present);
    QFETCH(qint64, percent);
    QFETCH(bool, pluggedIn);
    QFETCH(QVariant, blinkLow);
    QFETCH(QVariant, blinkThreshold);
    QFETCH(bool, blinks);
    if (blinkLow.isValid())
        Prefs::d().setBool(Key::blinkLow, blinkLow.toBool());
    if (blinkThreshold.isValid())
        Prefs::d().setInteger(Key::blinkThreshold, blinkThreshold.toLongLong());
    World w;
    w.battery.reading().percent = percent;
    if (pluggedIn)
        w.plugIn();
    if (!present)
        w.battery.reported.reset();
    w.state->refresh();
    w.item->updateStatusItem();
    QCOMPARE(w.item->isBlinking(), blinks);
    if (blinks) {
        QCOMPARE(w.item->blinkTimer()->interval(), 500);
        QVERIFY(w.item->blinkTimer()->isActive());
    }
}

void TestStatusItem::blinkFadesAndStopsOnPlugging()
{
    World w;
    w.battery.reading().percent = 10;
    w.state->refresh();
    w.item->updateStatusItem();
    QVERIFY(w.item->isBlinking());
    QCOMPARE(w.item->opacity(), 1.0);
    // The first step dims: the icon fades to 0.15.
    QTRY_VERIFY_WITH_TIMEOUT(w.item->blinkDim(), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(w.item->opacity(), 0.15, 2000);
    // A tick while dim keeps the fade: the redrawn picture keeps its opacity.
    w.item->refreshButton();
    QCOMPARE(w.item->opacity(), 0.15);
    QVERIFY(w.item->isBlinking());

    w.plugIn();
    w.state->refresh();
    w.item->refreshButton();
    QVERIFY(!w.item->isBlinking());
    QVERIFY(!w.item->blinkDim());
    QCOMPARE(w.item->opacity(), 1.0);
    // And it stays there: no fade step comes after the stop.
    QTest::qWait(600);
    QCOMPARE(w.item->opacity(), 1.0);
}

void TestStatusItem::noTimerWhileIdle()
{
    World w([](FakeChargeClient &c) { c.limit = 80; });
    w.battery.reading().percent = 60;
    w.state->refresh();
    w.item->updateStatusItem();
    w.openMenu();
    QVERIFY(!w.item->isBlinking());
    QVERIFY(!w.item->isWaitingForTray());
    const QList<QTimer *> timers = w.item->findChildren<QTimer *>();
    for (const QTimer *t : timers)
        QVERIFY2(!t->isActive(), qPrintable(t->objectName()));
}

// A tick that changes nothing draws nothing; a tray that paints one slot size
// gets that one drawn, when it paints.
void TestStatusItem::drawsOnlyChangesAndShownSizes()
{
    World w([](FakeChargeClient &c) { c.limit = 80; });
    w.battery.reading().percent = 60;
    w.state->refresh();
    w.item->updateStatusItem();
    const std::shared_ptr<const SlotPictures> first = w.item->pictures();
    QVERIFY(first);
    QCOMPARE(first->drawnCount(), 0);
    QCOMPARE(w.item->item()->icon().pixmap(QSize(22, 22)).size(), QSize(22, 22));
    QCOMPARE(first->drawnCount(), 1);
    for (int tick = 0; tick < 3; ++tick) {
        w.state->refresh();
        w.item->refreshButton();
    }
    QCOMPARE(w.item->pictures(), first);
    QCOMPARE(first->drawnCount(), 1);
    w.battery.reading().percent = 59;
    w.state->refresh();
    w.item->refreshButton();
    QVERIFY(w.item->pictures() != first);
}

void TestStatusItem::showIconSwitch()
{
    Prefs::setShowIcon(false);
    World w;
    w.item->updateStatusItem();
    QVERIFY(!w.item->item());
    QVERIFY(!w.item->menu());
    w.item->refreshButton(); // nothing to draw on: no effect
    QVERIFY(!w.item->isBlinking());

    Prefs::setShowIcon(true);
    w.item->updateStatusItem();
    QVERIFY(w.item->item());
    QVERIFY(w.item->item()->isVisible());
    QCOMPARE(w.item->item()->contextMenu(), w.item->menu());

    Prefs::setShowIcon(false);
    w.item->updateStatusItem();
    QVERIFY(!w.item->item());
    QVERIFY(!w.item->menu());
    QCOMPARE(w.window.shown, 0);
}

void TestStatusItem::waitsForTray_data()
{
    QTest::addColumn<int>("trayAfter"); // probes until a tray answers; -1: never
    QTest::addColumn<bool>("itemShown");
    QTest::addColumn<int>("windowShown");
    QTest::newRow("tray at once") << 0 << true << 0;
    QTest::newRow("tray after two tries") << 2 << true << 0;
    QTest::newRow("no tray: window instead") << -1 << false << 1;
}

void TestStatusItem::waitsForTray()
{
    QFETCH(int, trayAfter);
    QFETCH(bool, itemShown);
    QFETCH(int, windowShown);
    int probes = 0;
    World w({}, {.trayAvailable = [&] { return trayAfter >= 0 && probes++ >= trayAfter; },
                 .retryIntervalMs = 10,
                 .retryAttempts = 4});
    w.item->updateStatusItem();
    QTRY_VERIFY(!w.item->isWaitingForTray());
    QCOMPARE(w.item->item() != nullptr, itemShown);
    QCOMPARE(w.window.shown, windowShown);
    if (itemShown)
        QVERIFY(!w.item->item()->icon().isNull());
}

void TestStatusItem::asksForHostAtEveryTry()
{
    // Outside X11 a StatusNotifierItem host is the only tray; without one the
    // wait goes on (the offscreen platform never has a tray) and ends in the window.
    int asked = 0;
    World w({}, {.statusNotifierHost =
                     [&] {
                         ++asked;
                         return false;
                     },
                 .retryIntervalMs = 10,
                 .retryAttempts = 3});
    w.item->updateStatusItem();
    QTRY_VERIFY(!w.item->isWaitingForTray());
    QCOMPARE(asked, 4); // at the start and at each of the three tries
    QVERIFY(!w.item->item());
    QCOMPARE(w.window.shown, 1);
}

QTEST_MAIN(TestStatusItem)
#include "tst_statusitem.moc"
