// SPDX-License-Identifier: GPL-3.0-or-later
// The item in a real panel: xfce4-panel or lxqt-panel (VOLTQUILL_PANEL) on a
// private X server and session bus, as its StatusNotifierItem host. What the
// panel reads must hold from the first right-click on; the icon must stand
// out on the panel's own colour.
#include "PanelContrast.h"
#include "menubar/PanelColour.h"
#include "menubar/StatusNotifierItem.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/PanelReader.h"
#include "support/TrayRig.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace
{
using MenuNode = PanelReader::MenuNode;

const QString xfcePanel = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="dark-mode" type="bool" value="true"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
)");

// One panel along the top with only the StatusNotifierItem host, dark.
const QString lxqtPanel = QStringLiteral(R"([General]
__userfile__=true
[panel1]
alignment=-1
position=Top
panelSize=28
iconSize=22
plugins=statusnotifier
[statusnotifier]
type=statusnotifier
)");

bool write(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text.toUtf8()) >= 0;
}
} // namespace

class TestRealPanel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void firstLayoutIsWhole();
    void idsStayAcrossOpeningsAndPicks();
    void percentBesideTheIcon();
    void iconStandsOutOnThePanel();

private:
    void startAgent();

    QString m_panel;
    QString m_desktop;
    QTemporaryDir m_home;
    std::unique_ptr<BoundSettings> m_settings;
    QProcess m_process;
    std::unique_ptr<TrayRig> m_rig;
    QString m_service;
};

void TestRealPanel::initTestCase()
{
    m_panel = qEnvironmentVariable("VOLTQUILL_PANEL");
    const QString program = m_panel == QLatin1String("lxqt") ? QStringLiteral("lxqt-panel")
                                                             : QStringLiteral("xfce4-panel");
    if (QStandardPaths::findExecutable(program).isEmpty())
        QSKIP(qPrintable(program + QStringLiteral(" is not installed (scripts/deps test)")));
    QVERIFY(m_home.isValid());
    const QString config = m_home.filePath(QStringLiteral("config"));
    m_settings =
        std::make_unique<BoundSettings>(config + QStringLiteral("/Voltquill/settings.json"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), config + QStringLiteral(":/etc/xdg"));
    env.insert(QStringLiteral("HOME"), m_home.path());
    if (m_panel == QLatin1String("lxqt")) {
        m_desktop = QStringLiteral("LXQt");
        QVERIFY(write(config + QStringLiteral("/lxqt/lxqt.conf"),
                      QStringLiteral("[General]\ntheme=dark\n")));
        QVERIFY(write(config + QStringLiteral("/lxqt/panel.conf"), lxqtPanel));
    } else {
        m_desktop = QStringLiteral("XFCE");
        QVERIFY(write(config + QStringLiteral("/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"),
                      xfcePanel));
    }
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), m_desktop);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(program, {});
    QVERIFY(m_process.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(PanelReader::property(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                   QStringLiteral("/StatusNotifierWatcher"),
                                                   QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                   QStringLiteral("IsStatusNotifierHostRegistered"))
                                 .toBool(),
                             30000);
    startAgent();
}

void TestRealPanel::cleanupTestCase()
{
    m_rig.reset();
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

// One agent for the whole run, as a panel meets it.
void TestRealPanel::startAgent()
{
    Prefs::d().clear();
    const QString configDir = m_home.filePath(QStringLiteral("config"));
    m_rig = std::make_unique<TrayRig>([](FakeChargeClient &c) { c.limit = 80; },
                                      StatusItem::Options{.trayAvailable = [] { return true; },
                                                          .statusNotifierHost = [] { return true; },
                                                          .session =
                                                              [this, configDir] {
                                                                  PanelColour::Session s;
                                                                  s.currentDesktop = m_desktop;
                                                                  s.configDirs = {configDir};
                                                                  return s;
                                                              }});
    m_rig->battery.reading().percent = 80;
    m_rig->plugIn(65);
    m_rig->state->refresh();
    m_rig->item->updateStatusItem();
    QVERIFY(m_rig->item->statusNotifierItem());
    m_service = m_rig->item->statusNotifierItem()->serviceName();
    // The panel took the item: it is in the watcher's list.
    QTRY_VERIFY_WITH_TIMEOUT(PanelReader::property(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                   QStringLiteral("/StatusNotifierWatcher"),
                                                   QStringLiteral("org.kde.StatusNotifierWatcher"),
                                                   QStringLiteral("RegisteredStatusNotifierItems"))
                                 .toStringList()
                                 .join(QLatin1Char(' '))
                                 .contains(m_service),
                             10000);
}

// A panel that lays the menu out without AboutToShow still finds every row.
void TestRealPanel::firstLayoutIsWhole()
{
    const MenuNode root = PanelReader::layout(m_service, false);
    const QStringList shown = root.shown();
    const QStringList expected{m_rig->state->statusLine(),
                               m_rig->state->limitLine(),
                               QStringLiteral("---"),
                               QStringLiteral("Laden bis"),
                               QStringLiteral("80 %"),
                               QStringLiteral("85 %"),
                               QStringLiteral("90 %"),
                               QStringLiteral("95 %"),
                               QStringLiteral("100 %"),
                               QStringLiteral("Einmal voll laden (bis zum Abstecken)"),
                               QStringLiteral("---"),
                               QStringLiteral("Zustand 92 %  ·  123 Zyklen"),
                               QStringLiteral("Netzteil 65 W"),
                               QStringLiteral("---"),
                               QStringLiteral("Einstellungen …"),
                               QStringLiteral("Voltquill beenden")};
    QCOMPARE(shown, expected);
}

void TestRealPanel::idsStayAcrossOpeningsAndPicks()
{
    const MenuNode first = PanelReader::layout(m_service);
    const MenuNode second = PanelReader::layout(m_service);
    QCOMPARE(second.ids(), first.ids());
    QCOMPARE(second.shown(), first.shown());

    QVERIFY(PanelReader::click(m_service, first.row(QStringLiteral("90 %"))->id));
    QTRY_COMPARE(m_rig->client->limit, quint64(90));
    const MenuNode after = PanelReader::layout(m_service);
    QCOMPARE(after.ids(), first.ids());
    QCOMPARE(after.shown().size(), first.shown().size());
    QVERIFY(after.shown().contains(QStringLiteral("Voltquill beenden")));
    QVERIFY(after.row(QStringLiteral("90 %"))->checked());
    QVERIFY(!after.row(QStringLiteral("80 %"))->checked());
}

void TestRealPanel::percentBesideTheIcon()
{
    Prefs::setIconStyle(2);
    m_rig->item->refreshButton();
    QTRY_COMPARE(PanelReader::itemProperty(m_service, QStringLiteral("XAyatanaLabel")).toString(),
                 QStringLiteral("80 %"));
}

// On the panel's own colour, read from the screen, a good part of the icon
// stands out at least 3:1.
void TestRealPanel::iconStandsOutOnThePanel()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QColor panel;
    // The panel along the top: its commonest colour, once the icon is on it.
    const auto readPanel = [&] {
        const QImage strip = screen->grabWindow(0, 0, 0, screen->geometry().width(), 20).toImage();
        QHash<QRgb, int> count;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                ++count[strip.pixel(x, y)];
        QRgb most = 0;
        for (auto it = count.cbegin(); it != count.cend(); ++it)
            if (it.value() > count.value(most))
                most = it.key();
        panel = QColor(most);
        // The icon is drawn there: enough of the strip stands out from it.
        return pixelsStandingOut(strip, panel) >= 30;
    };
    QTRY_VERIFY_WITH_TIMEOUT(readPanel(), 10000);
    QVERIFY2(PanelColour::luminance(panel) < 0.2, qPrintable(panel.name()));
    for (const int side : {22, 24}) {
        const QImage picture = m_rig->item->buttonImage(side);
        QVERIFY(!picture.isNull());
        const int strong = pixelsStandingOut(picture, panel);
        QVERIFY2(strong >= side * side / 8, qPrintable(QString::number(strong)));
    }
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestRealPanel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_realpanel.moc"
