// SPDX-License-Identifier: GPL-3.0-or-later
// The X11 tray manager's text colour (_NET_SYSTEM_TRAY_COLORS): read from a
// real tray (trayer on Xvfb, its colours set as a GTK panel sets them),
// followed while it changes and across a new tray, and the docked icon drawn
// in it.
#include "menubar/TrayManagerColour.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/TrayRig.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace
{
// A second client, as the panel is: sets the colours on the manager's window.
class PanelSide
{
public:
    PanelSide() : m_c(xcb_connect(nullptr, nullptr)) {}
    ~PanelSide() { xcb_disconnect(m_c); }
    PanelSide(const PanelSide &) = delete;
    PanelSide &operator=(const PanelSide &) = delete;

    bool connected() const { return m_c && !xcb_connection_has_error(m_c); }

    xcb_window_t manager()
    {
        const xcb_atom_t selection = atom("_NET_SYSTEM_TRAY_S0");
        auto *reply =
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, selection), nullptr);
        const xcb_window_t owner = reply ? reply->owner : 0;
        std::free(reply);
        return owner;
    }

    void setColours(xcb_window_t window, const QList<quint32> &values)
    {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, window, atom("_NET_SYSTEM_TRAY_COLORS"),
                            XCB_ATOM_CARDINAL, 32, static_cast<uint32_t>(values.size()),
                            values.constData());
        xcb_flush(m_c);
    }

private:
    xcb_atom_t atom(const char *name)
    {
        auto *reply = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : 0;
        std::free(reply);
        return a;
    }

    xcb_connection_t *m_c;
};

// Foreground, error, warning, success, 16 bits a channel.
QList<quint32> colours(quint16 r, quint16 g, quint16 b)
{
    return {r, g, b, 0xcccc, 0, 0, 0xf5f5, 0x7979, 0, 0x4e4e, 0x9a9a, 0x0606};
}

class Tray
{
public:
    bool start()
    {
        m_process.start(QStringLiteral("trayer"),
                        {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                         QStringLiteral("right"), QStringLiteral("--widthtype"),
                         QStringLiteral("request"), QStringLiteral("--height"),
                         QStringLiteral("24")});
        return m_process.waitForStarted(5000);
    }
    ~Tray() { stop(); }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

// The colour of the icon's most opaque pixel.
QColor inkOf(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QRgb best = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) > qAlpha(best))
                best = argb.pixel(x, y);
    return QColor(qRed(best), qGreen(best), qBlue(best));
}
} // namespace

class TestTrayManagerColour : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void foregroundFrom_data();
    void foregroundFrom();
    void followsTheTray();
    void dockedIconTakesIt();

private:
    QTemporaryDir m_home;
    BoundSettings m_settings{m_home.filePath(QStringLiteral("Voltquill/settings.json"))};
    PanelSide m_panel;
};

void TestTrayManagerColour::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_panel.connected());
    qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
}

void TestTrayManagerColour::foregroundFrom_data()
{
    QTest::addColumn<QList<quint32>>("values");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("all four colours") << colours(0xffff, 0xffff, 0xffff) << QColor(Qt::white);
    QTest::newRow("16 bits a channel")
        << QList<quint32>{0x1c1c, 0x8080, 0xfafa} << QColor(0x1c, 0x80, 0xfa);
    QTest::newRow("foreground only") << QList<quint32>{0, 0, 0} << QColor(Qt::black);
    QTest::newRow("too short") << QList<quint32>{0xffff, 0xffff} << QColor();
    QTest::newRow("out of range") << QList<quint32>{0x10000, 0, 0} << QColor();
    QTest::newRow("empty") << QList<quint32>{} << QColor();
}

void TestTrayManagerColour::foregroundFrom()
{
    QFETCH(QList<quint32>, values);
    QFETCH(QColor, expected);
    const QColor colour =
        TrayManagerColour::foregroundFrom(values.constData(), static_cast<int>(values.size()));
    QCOMPARE(colour.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(colour.name(), expected.name());
}

void TestTrayManagerColour::followsTheTray()
{
    TrayManagerColour reader;
    QSignalSpy changed(&reader, &TrayManagerColour::changed);
    reader.start();
    QVERIFY(!reader.foreground().isValid());

    // A tray that comes after the reader started, and sets no colours yet.
    Tray tray;
    QVERIFY(tray.start());
    QTRY_VERIFY_WITH_TIMEOUT(m_panel.manager() != 0, 10000);
    m_panel.setColours(m_panel.manager(), colours(0xeeee, 0xeeee, 0xecec));
    QTRY_COMPARE(reader.foreground().name(), QStringLiteral("#eeeeec"));
    // Its theme changes: the colour follows.
    m_panel.setColours(m_panel.manager(), colours(0x2e2e, 0x3434, 0x3636));
    QTRY_COMPARE(reader.foreground().name(), QStringLiteral("#2e3436"));
    QCOMPARE(changed.count(), 2);
    // The tray quits: no colour any more.
    tray.stop();
    QTRY_VERIFY(!reader.foreground().isValid());
}

void TestTrayManagerColour::dockedIconTakesIt()
{
    Tray tray;
    QVERIFY(tray.start());
    QTRY_VERIFY_WITH_TIMEOUT(m_panel.manager() != 0, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    m_panel.setColours(m_panel.manager(), colours(0xf0f0, 0xd0d0, 0x8080));

    Prefs::d().clear();
    // The desktop says nothing of its panel: the tray's colour decides.
    TrayRig rig({}, {.session = [] { return PanelColour::Session{}; }});
    StatusItem &item = *rig.item;
    rig.state->refresh();
    item.updateStatusItem();
    QVERIFY(item.item());
    // What the tray paints in its slot.
    const auto ink = [&] {
        return inkOf(item.item()->icon().pixmap(QSize(22, 22)).toImage()).name();
    };
    QTRY_COMPARE(ink(), QStringLiteral("#f0d080"));
    // A colour chosen in the settings wins over the tray's.
    Prefs::setIconColour(2);
    item.refreshButton();
    QCOMPARE(ink(), PanelColour::dark().name());
    Prefs::setIconColour(0);
    item.refreshButton();
    m_panel.setColours(m_panel.manager(), colours(0x1010, 0x2020, 0x3030));
    QTRY_COMPARE(ink(), QStringLiteral("#102030"));
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    TestTrayManagerColour test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_traymanagercolour.moc"
