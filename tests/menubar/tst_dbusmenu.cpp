// SPDX-License-Identifier: GPL-3.0-or-later
// The menu as a panel reads it over D-Bus: a session bus with a
// StatusNotifierWatcher that reports a host, a real X server, and the agent's
// own StatusNotifierItem with its dbusmenu. The test reads the layout and
// clicks rows the way a panel does.
#include "menubar/StatusNotifierItem.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/PanelReader.h"
#include "support/TrayRig.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{
using MenuNode = PanelReader::MenuNode;
const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");

QList<MenuNode> limitRows(const MenuNode &root)
{
    QList<MenuNode> rows;
    for (const MenuNode &row : root.children)
        if (row.properties.contains(QStringLiteral("toggle-type")))
            rows << row;
    return rows;
}

QStringList checked(const QList<MenuNode> &rows)
{
    QStringList on;
    for (const MenuNode &row : rows)
        if (row.checked())
            on << row.label();
    return on;
}
} // namespace

class TestDBusMenu : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init() { Prefs::d().clear(); }
    void limitRowsAreOneRadioGroup();
    void changesAreAnnouncedInPlace();
    void label_data();
    void label();
    void leftClick_data();
    void leftClick();

public Q_SLOTS:
    // What the panel hears.
    void propertiesUpdated(const QDBusMessage &) { ++m_propertyUpdates; }
    void layoutUpdated(const QDBusMessage &) { ++m_layoutUpdates; }

private:
    // A rig whose item is on the bus, and its bus name.
    QString publish(TrayRig &rig);

    QTemporaryDir m_home;
    BoundSettings m_settings{m_home.filePath(QStringLiteral("Voltquill/settings.json"))};
    QProcess m_watcher;
    int m_propertyUpdates = 0;
    int m_layoutUpdates = 0;
};

void TestDBusMenu::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
    QVERIFY2(QDBusConnection::sessionBus().isConnected(), "needs a session bus");
    m_watcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_watcher.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VOLTQUILL_SNI_WATCHER)});
    QVERIFY(m_watcher.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(
        QDBusConnection::sessionBus().interface()->isServiceRegistered(watcherName).value(), 10000);
}

void TestDBusMenu::cleanupTestCase()
{
    m_watcher.kill();
    m_watcher.waitForFinished(5000);
}

QString TestDBusMenu::publish(TrayRig &rig)
{
    rig.state->refresh();
    rig.item->updateStatusItem();
    if (!rig.item->statusNotifierItem())
        return {};
    // The stand-in watcher keeps every item it was told of: the newest is ours.
    if (!QTest::qWaitFor([] { return !PanelReader::itemService().isEmpty(); }))
        return {};
    return rig.item->statusNotifierItem()->serviceName();
}

void TestDBusMenu::limitRowsAreOneRadioGroup()
{
    TrayRig rig([](FakeChargeClient &c) { c.limit = 85; },
                {.trayAvailable = [] { return true; }, .statusNotifierHost = [] { return true; }});
    rig.plugIn(65);
    const QString service = publish(rig);
    QVERIFY(!service.isEmpty());
    QCOMPARE(PanelReader::itemProperty(service, QStringLiteral("ItemIsMenu")).toBool(), true);

    MenuNode root = PanelReader::layout(service);
    QList<MenuNode> rows = limitRows(root);
    QStringList labels;
    for (const MenuNode &row : rows) {
        labels << row.label();
        QCOMPARE(row.properties.value(QStringLiteral("toggle-type")).toString(),
                 QStringLiteral("radio"));
    }
    QCOMPARE(labels, QStringList({"80 %", "85 %", "90 %", "95 %", "100 %"}));
    QCOMPARE(checked(rows), QStringList{QStringLiteral("85 %")});
    // Information rows are drawn by the panel as text, not greyed out.
    QVERIFY(!root.children.isEmpty());
    QCOMPARE(root.children.constFirst().label(), rig.state->statusLine());
    QVERIFY(root.children.constFirst().enabled());

    // The panel clicks 90 %: the limit moves, and the next opening shows one mark.
    QVERIFY(PanelReader::click(service, rows.at(2).id));
    QTRY_COMPARE(rig.client->limit, quint64(90));
    rows = limitRows(PanelReader::layout(service));
    QCOMPARE(checked(rows), QStringList{QStringLiteral("90 %")});
}

// A panel keeps what it laid out: changes reach it as ItemsPropertiesUpdated
// on the same ids, and the layout's revision stays while no row comes or goes.
void TestDBusMenu::changesAreAnnouncedInPlace()
{
    TrayRig rig([](FakeChargeClient &c) { c.limit = 100; },
                {.trayAvailable = [] { return true; }, .statusNotifierHost = [] { return true; }});
    const QString service = publish(rig);
    QVERIFY(!service.isEmpty());
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(bus.connect(
        service, QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"),
        QStringLiteral("ItemsPropertiesUpdated"), this, SLOT(propertiesUpdated(QDBusMessage))));
    QVERIFY(bus.connect(service, QStringLiteral("/MenuBar"),
                        QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("LayoutUpdated"),
                        this, SLOT(layoutUpdated(QDBusMessage))));
    m_propertyUpdates = 0;
    m_layoutUpdates = 0;

    // Before any AboutToShow: every row is there, the suspend row hidden at 100 %.
    const MenuNode first = PanelReader::layout(service, false);
    QVERIFY(first.shown().contains(QStringLiteral("Voltquill beenden")));
    QVERIFY(!first.shown().contains(QStringLiteral("Einmal voll laden (bis zum Abstecken)")));
    QVERIFY(first.row(QStringLiteral("Einmal voll laden (bis zum Abstecken)")));

    // A pick of 80 % brings the suspend row: the same ids, a property update.
    QVERIFY(PanelReader::click(service, first.row(QStringLiteral("80 %"))->id));
    QTRY_COMPARE(rig.client->limit, quint64(80));
    QTRY_VERIFY(m_propertyUpdates > 0);
    const MenuNode after = PanelReader::layout(service);
    QCOMPARE(after.ids(), first.ids());
    QVERIFY(after.shown().contains(QStringLiteral("Einmal voll laden (bis zum Abstecken)")));
    QVERIFY(after.row(QStringLiteral("80 %"))->checked());
    QCOMPARE(m_layoutUpdates, 0);
}

void TestDBusMenu::label_data()
{
    QTest::addColumn<qint64>("style");
    QTest::addColumn<QString>("label");
    QTest::newRow("style 0: none") << qint64(0) << QString();
    QTest::newRow("style 1: none") << qint64(1) << QString();
    QTest::newRow("style 2: beside the icon") << qint64(2) << QStringLiteral("80 %");
}

void TestDBusMenu::label()
{
    QFETCH(qint64, style);
    QFETCH(QString, label);
    Prefs::setIconStyle(style);
    TrayRig rig({},
                {.trayAvailable = [] { return true; }, .statusNotifierHost = [] { return true; }});
    rig.battery.reading().percent = 80;
    const QString service = publish(rig);
    QVERIFY(!service.isEmpty());
    QCOMPARE(PanelReader::itemProperty(service, QStringLiteral("XAyatanaLabel")).toString(), label);
    QCOMPARE(PanelReader::itemProperty(service, QStringLiteral("XAyatanaLabelGuide")).toString(),
             label.isEmpty() ? QString() : QStringLiteral("100 %"));
}

void TestDBusMenu::leftClick_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<bool>("refused");
    // Plasma calls Activate at every left click and opens the item's own menu
    // when it is refused; the others open it for ItemIsMenu or get Qt's menu.
    QTest::newRow("Plasma") << "KDE" << true;
    QTest::newRow("Xfce") << "XFCE" << false;
}

void TestDBusMenu::leftClick()
{
    QFETCH(QString, desktop);
    QFETCH(bool, refused);
    TrayRig rig({}, {.trayAvailable = [] { return true; },
                     .statusNotifierHost = [] { return true; },
                     .session =
                         [desktop] {
                             PanelColour::Session s;
                             s.currentDesktop = desktop;
                             return s;
                         }});
    const QString service = publish(rig);
    QVERIFY(!service.isEmpty());
    // The panel's call comes from another connection, as a panel's does.
    QProcess panel;
    panel.start(QStringLiteral("gdbus"),
                {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("-d"), service,
                 QStringLiteral("-o"), QStringLiteral("/StatusNotifierItem"), QStringLiteral("-m"),
                 QStringLiteral("org.kde.StatusNotifierItem.Activate"), QStringLiteral("10"),
                 QStringLiteral("10")});
    QTRY_COMPARE_WITH_TIMEOUT(panel.state(), QProcess::NotRunning, 10000);
    QCOMPARE(panel.exitCode() != 0, refused);
    if (refused)
        QVERIFY(panel.readAllStandardError().contains("org.freedesktop.DBus.Error.NotSupported"));
    else
        QTRY_VERIFY(rig.item->menu()->isVisible());
    rig.item->menu()->hide();
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestDBusMenu test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dbusmenu.moc"
