// SPDX-License-Identifier: GPL-3.0-or-later
// The menu of an XEmbed tray icon opens at the icon, not at the pointer: a
// real X server with trayer as the tray, at the top and at the bottom of the
// screen, opened by a left and by a right click.
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/TrayRig.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestXEmbedMenu : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void opensAtTheIcon_data();
    void opensAtTheIcon();

private:
    QTemporaryDir m_home;
    BoundSettings m_settings{m_home.filePath(QStringLiteral("Voltquill/settings.json"))};
};

void TestXEmbedMenu::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
}

void TestXEmbedMenu::opensAtTheIcon_data()
{
    QTest::addColumn<QString>("edge");
    QTest::addColumn<QSystemTrayIcon::ActivationReason>("click");
    QTest::newRow("top, left click") << "top" << QSystemTrayIcon::Trigger;
    QTest::newRow("bottom, left click") << "bottom" << QSystemTrayIcon::Trigger;
    QTest::newRow("top, right click") << "top" << QSystemTrayIcon::Context;
}

void TestXEmbedMenu::opensAtTheIcon()
{
    QFETCH(QString, edge);
    QFETCH(QSystemTrayIcon::ActivationReason, click);
    QProcess trayer;
    trayer.start(QStringLiteral("trayer"),
                 {QStringLiteral("--edge"), edge, QStringLiteral("--align"),
                  QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                  QStringLiteral("--height"), QStringLiteral("24")});
    QVERIFY(trayer.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);

    Prefs::d().clear();
    // trayer is the tray: Qt answers whether it is there.
    TrayRig rig({}, {});
    StatusItem &item = *rig.item;
    rig.state->refresh();
    item.updateStatusItem();
    QVERIFY(item.item());
    // The icon is embedded once trayer has taken its place at the edge.
    const int middle = QGuiApplication::primaryScreen()->geometry().center().y();
    const auto placed = [&] {
        const QRect g = item.item()->geometry();
        return g.isValid() &&
               (edge == QLatin1String("top") ? g.bottom() < middle : g.top() > middle);
    };
    QTRY_VERIFY_WITH_TIMEOUT(placed(), 10000);
    const QRect icon = item.item()->geometry();
    // The pointer far from the icon: the menu must not follow it.
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().center());

    if (click == QSystemTrayIcon::Context)
        item.menu()->popup(QCursor::pos()); // as the tray does on a right click
    Q_EMIT item.item()->activated(click);
    QTRY_VERIFY(item.menu()->isVisible());
    const QRect menu = item.menu()->geometry();
    if (edge == QLatin1String("top"))
        QCOMPARE(menu.top(), icon.bottom() + 1);
    else
        QCOMPARE(menu.bottom(), icon.top() - 1);
    // Beside the icon: from its left edge, or moved left no further than the
    // screen's edge demands.
    QVERIFY2(menu.left() <= icon.left() && menu.right() >= icon.left(),
             qPrintable(QStringLiteral("menu %1..%2, icon at %3")
                            .arg(menu.left())
                            .arg(menu.right())
                            .arg(icon.left())));
    item.menu()->hide();
    trayer.kill();
    trayer.waitForFinished(5000);
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestXEmbedMenu test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_xembedmenu.moc"
