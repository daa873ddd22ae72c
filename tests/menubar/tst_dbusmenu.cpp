// SPDX-License-Identifier: GPL-3.0-or-later
// The menu as a panel reads it over D-Bus: a session bus with a
// StatusNotifierWatcher that reports a host, a real X server, and the agent's
// status item exporting its menu as dbusmenu. The test reads the layout and
// clicks rows the way a panel does.
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/TrayRig.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace
{
const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");

struct MenuNode {
    int id = 0;
    QVariantMap properties;
    QList<MenuNode> children;

    QString label() const { return properties.value(QStringLiteral("label")).toString(); }
    bool enabled() const { return properties.value(QStringLiteral("enabled"), true).toBool(); }
};

MenuNode readNode(const QDBusArgument &arg)
{
    MenuNode node;
    arg.beginStructure();
    arg >> node.id >> node.properties;
    arg.beginArray();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        node.children << readNode(child.variant().value<QDBusArgument>());
    }
    arg.endArray();
    arg.endStructure();
    return node;
}

// A call answered by our own process: the event loop runs while it waits.
QDBusMessage callAndWait(const QDBusMessage &message)
{
    QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(message, 5000);
    if (!QTest::qWaitFor([&] { return call.isFinished(); }, 6000))
        return {};
    return call.reply();
}
} // namespace

class TestDBusMenu : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void limitRowsAreOneRadioGroup();

private:
    QString itemService() const;
    MenuNode openMenu(const QString &service);
    bool click(const QString &service, int id);

    QTemporaryDir m_home;
    BoundSettings m_settings{m_home.filePath(QStringLiteral("Voltquill/settings.json"))};
    QProcess m_watcher;
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

// The bus name the tray icon gave the watcher, as a panel learns it.
QString TestDBusMenu::itemService() const
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcherName, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << watcherName << QStringLiteral("RegisteredStatusNotifierItems");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const QStringList items =
        reply.arguments().constFirst().value<QDBusVariant>().variant().toStringList();
    return items.isEmpty() ? QString() : items.constFirst();
}

MenuNode TestDBusMenu::openMenu(const QString &service)
{
    const QString path = QStringLiteral("/MenuBar");
    const QString iface = QStringLiteral("com.canonical.dbusmenu");
    QDBusMessage aboutToShow =
        QDBusMessage::createMethodCall(service, path, iface, QStringLiteral("AboutToShow"));
    aboutToShow << 0;
    callAndWait(aboutToShow);
    QDBusMessage getLayout =
        QDBusMessage::createMethodCall(service, path, iface, QStringLiteral("GetLayout"));
    getLayout << 0 << -1 << QStringList();
    const QDBusMessage reply = callAndWait(getLayout);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        return {};
    return readNode(reply.arguments().at(1).value<QDBusArgument>());
}

bool TestDBusMenu::click(const QString &service, int id)
{
    QDBusMessage event = QDBusMessage::createMethodCall(service, QStringLiteral("/MenuBar"),
                                                        QStringLiteral("com.canonical.dbusmenu"),
                                                        QStringLiteral("Event"));
    event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
    return callAndWait(event).type() == QDBusMessage::ReplyMessage;
}

void TestDBusMenu::limitRowsAreOneRadioGroup()
{
    Prefs::d().clear();
    TrayRig rig([](FakeChargeClient &c) { c.limit = 85; },
                {.trayAvailable = [] { return true; }, .statusNotifierHost = [] { return true; }});
    rig.plugIn(65);
    const AppState &state = *rig.state;
    StatusItem &item = *rig.item;
    rig.state->refresh();
    item.updateStatusItem();
    QVERIFY(item.statusNotifierItem());

    QString service;
    QTRY_VERIFY_WITH_TIMEOUT(!(service = itemService()).isEmpty(), 10000);

    const auto limitRows = [](const MenuNode &root) {
        QList<MenuNode> rows;
        for (const MenuNode &row : root.children)
            if (row.properties.contains(QStringLiteral("toggle-type")))
                rows << row;
        return rows;
    };
    const auto checked = [](const QList<MenuNode> &rows) {
        QStringList on;
        for (const MenuNode &row : rows)
            if (row.properties.value(QStringLiteral("toggle-state")).toInt() == 1)
                on << row.label();
        return on;
    };

    MenuNode root = openMenu(service);
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
    QCOMPARE(root.children.constFirst().label(), state.statusLine());
    QVERIFY(root.children.constFirst().enabled());

    // The panel clicks 90 %: the limit moves, and the next opening shows one mark.
    QVERIFY(click(service, rows.at(2).id));
    QTRY_COMPARE(rig.client->limit, quint64(90));
    rows = limitRows(openMenu(service));
    QCOMPARE(checked(rows), QStringList{QStringLiteral("90 %")});
}

int main(int argc, char **argv)
{
    // A real X server: the platform's tray goes over D-Bus once a host is there.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestDBusMenu test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dbusmenu.moc"
