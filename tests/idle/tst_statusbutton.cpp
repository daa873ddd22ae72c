// SPDX-License-Identifier: GPL-3.0-or-later
// The status button hands a picture to the tray only when it differs from the
// one shown: each hand-over is a round of panel traffic on every tick.
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/TrayRig.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

class TestStatusButton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void handOver_data();
    void handOver();
    void paletteChangeDrawsAnew();

private:
    QTemporaryDir m_home;
    BoundSettings m_settings{m_home.filePath(QStringLiteral("config/Voltquill/settings.json"))};
};

void TestStatusButton::initTestCase()
{
    qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8());
}

enum class Change { nothing, level, plug, limit, suspend, style };

void TestStatusButton::handOver_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("newPicture");
    QTest::addColumn<bool>("newToolTip");

    QTest::newRow("nothing changed") << Change::nothing << false << false;
    QTest::newRow("new level") << Change::level << true << true;
    QTest::newRow("plugged in") << Change::plug << true << true;
    QTest::newRow("other limit") << Change::limit << true << true;
    QTest::newRow("limit suspended") << Change::suspend << true << true;
    QTest::newRow("other icon style") << Change::style << true << false;
}

void TestStatusButton::handOver()
{
    QFETCH(Change, change);
    QFETCH(bool, newPicture);
    QFETCH(bool, newToolTip);

    Prefs::setIconStyle(0);
    TrayRig rig([](FakeChargeClient &c) { c.limit = 80; });
    rig.battery.reading().percent = 64;
    AppState &state = *rig.state;
    StatusItem &item = *rig.item;
    state.refresh();
    item.updateStatusItem();
    QVERIFY(item.item());
    const qint64 shown = item.item()->icon().cacheKey();
    const QString toolTip = item.item()->toolTip();

    switch (change) {
    case Change::nothing:
        break;
    case Change::level:
        rig.battery.reading().percent = 63;
        break;
    case Change::plug:
        rig.plugIn();
        break;
    case Change::limit:
        rig.client->limit = 85;
        break;
    case Change::suspend:
        rig.client->suspended = true;
        break;
    case Change::style:
        Prefs::setIconStyle(1);
        break;
    }
    state.refresh();
    item.refreshButton();
    QCOMPARE(item.item()->icon().cacheKey() != shown, newPicture);
    QCOMPARE(item.item()->toolTip() != toolTip, newToolTip);
    Prefs::setIconStyle(0);
}

void TestStatusButton::paletteChangeDrawsAnew()
{
    TrayRig rig;
    StatusItem &item = *rig.item;
    item.updateStatusItem();
    QVERIFY(item.item());
    const qint64 shown = item.item()->icon().cacheKey();

    // The panel's text colour may be the same; the picture is drawn anew anyway.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    QApplication::setPalette(palette);
    QCoreApplication::processEvents();
    QVERIFY(item.item()->icon().cacheKey() != shown);
}

QTEST_MAIN(TestStatusButton)
#include "tst_statusbutton.moc"
