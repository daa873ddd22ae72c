// The status button hands a picture to the tray only when it differs from the
// one shown: each hand-over is a round of panel traffic on every tick.
#include "FakeBattery.h"
#include "app/AppState.h"
#include "app/ChargeLimit.h"
#include "menubar/StatusItem.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/FakeChargeClient.h"

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
    FakeBattery battery;
    battery.percent = 64;
    FixedClock clock;
    auto fake = std::make_unique<FakeChargeClient>();
    FakeChargeClient *client = fake.get();
    client->enabled = 1;
    client->limit = 80;
    ChargeLimit chargeLimit(std::move(fake));
    AppState state(chargeLimit, battery, clock);
    state.refresh();
    StatusItem item(state, nullptr, {.trayAvailable = [] { return true; }});
    item.updateStatusItem();
    QVERIFY(item.item());
    const qint64 shown = item.item()->icon().cacheKey();
    const QString toolTip = item.item()->toolTip();

    switch (change) {
    case Change::nothing:
        break;
    case Change::level:
        battery.percent = 63;
        break;
    case Change::plug:
        battery.pluggedIn = true;
        break;
    case Change::limit:
        client->limit = 85;
        break;
    case Change::suspend:
        client->suspended = true;
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
    FakeBattery battery;
    FixedClock clock;
    auto client = std::make_unique<FakeChargeClient>();
    client->enabled = 1;
    ChargeLimit chargeLimit(std::move(client));
    AppState state(chargeLimit, battery, clock);
    StatusItem item(state, nullptr, {.trayAvailable = [] { return true; }});
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
#include "tst_StatusButton.moc"
