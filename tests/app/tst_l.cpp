// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/L.h"

#include <QRegularExpression>
#include <QTest>

class TestL : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { loadStringTable(); }

    void withoutArgumentsTextIsUnformatted()
    {
        QCOMPARE(L("Ladelimit aus (lädt auf 100 %)"),
                 QStringLiteral("Ladelimit aus (lädt auf 100 %)"));
        QCOMPARE(L("Akku %d %%"), QStringLiteral("Akku %d %%"));
    }

    void format_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("%d %%") << L("Akku %d %%", 57) << QStringLiteral("Akku 57 %");
        QTest::newRow("%d:%02d") << L("%d:%02d h bis voll", 1, 35)
                                 << QStringLiteral("1:35 h bis voll");
        QTest::newRow("%02d of 5") << L("%d:%02d h", 0, 5) << QStringLiteral("0:05 h");
        QTest::newRow("%02d of 123") << L("%02d", 123) << QStringLiteral("123");
        QTest::newRow("%02d negative") << L("%02d", -3) << QStringLiteral("-3");
        QTest::newRow("%@") << L("Fehler: %@", QStringLiteral("kaputt"))
                            << QStringLiteral("Fehler: kaputt");
        QTest::newRow("%lld") << L("%lld", qint64(9007199254740993LL))
                              << QStringLiteral("9007199254740993");
        QTest::newRow("no grouping") << L("%d W", 12345) << QStringLiteral("12345 W");
        QTest::newRow("%.1f German") << L("%.1f", 30.12) << QStringLiteral("30,1");
        QTest::newRow("two ints") << L("Angeschlossen: %d W (empfohlen ab %d W).", 30, 60)
                                  << QStringLiteral("Angeschlossen: 30 W (empfohlen ab 60 W).");
        QTest::newRow("missing argument") << L("%d und %d", 1) << QStringLiteral("1 und 0");
        QTest::newRow("trailing percent") << L("%d %", 5) << QStringLiteral("5 %");
        QTest::newRow("unknown conversion") << L("%q %d", 5) << QStringLiteral("%q 5");
        QTest::newRow("int64 min") << L("%lld", std::numeric_limits<qint64>::min())
                                   << QStringLiteral("-9223372036854775808");
    }

    void format()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void missingTableIsReported()
    {
        const char *text =
            "Der Ladedienst voltquill-charged ist nicht erreichbar (Voltquill-Fehler 1).";
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^Übersetzungstabelle .*/weg\\.qm fehlt")));
        QVERIFY(!loadStringTable(QStringLiteral(":/i18n/weg.qm")));
        // The texts as the code writes them, nothing empty.
        QCOMPARE(L(text), QString::fromUtf8(text));
        QVERIFY(loadStringTable());
        QCOMPARE(L(text), QString::fromUtf8(text));
    }

    void appLocaleIsGerman() { QCOMPARE(appLocale().language(), QLocale::German); }
};

QTEST_GUILESS_MAIN(TestL)
#include "tst_l.moc"
