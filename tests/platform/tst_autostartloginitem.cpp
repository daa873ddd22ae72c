// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AutostartLoginItem.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAutostartLoginItem : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void registerAndUnregister()
    {
        QTemporaryDir home;
        AutostartLoginItem item(home.path(), QStringLiteral("/opt/my apps/voltquill"));
        QVERIFY(!item.isEnabled());
        QVERIFY(item.registerItem());
        QVERIFY(item.isEnabled());
        QFile file(home.path() + QStringLiteral("/autostart/voltquill.desktop"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray entry = file.readAll();
        QVERIFY(entry.startsWith("[Desktop Entry]\n"));
        QVERIFY(entry.contains("Exec=\"/opt/my apps/voltquill\"\n"));
        file.close();
        QVERIFY(item.unregisterItem());
        QVERIFY(!item.isEnabled());
        QVERIFY(item.unregisterItem()); // nothing to remove is fine
    }

    void hiddenMeansDisabled_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nExec=voltquill\n") << true;
        QTest::newRow("Hidden=true") << QByteArray("[Desktop Entry]\nHidden=true\n") << false;
        QTest::newRow("Hidden = true") << QByteArray("[Desktop Entry]\nHidden = true\n") << false;
        QTest::newRow("Hidden=false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("HiddenX=true") << QByteArray("[Desktop Entry]\nHiddenX=true\n") << true;
    }

    void hiddenMeansDisabled()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, enabled);
        QTemporaryDir home;
        AutostartLoginItem item(home.path(), QStringLiteral("/usr/bin/voltquill"));
        QVERIFY(item.registerItem());
        QFile file(item.path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(entry);
        file.close();
        QCOMPARE(item.isEnabled(), enabled);
    }

    void unwritableFolderFails()
    {
        AutostartLoginItem item(QStringLiteral("/proc/nonexistent"),
                                QStringLiteral("/usr/bin/voltquill"));
        QVERIFY(!item.registerItem());
        QVERIFY(!item.isEnabled());
    }
};

QTEST_GUILESS_MAIN(TestAutostartLoginItem)
#include "tst_autostartloginitem.moc"
