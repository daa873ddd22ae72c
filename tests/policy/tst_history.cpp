// SPDX-License-Identifier: GPL-3.0-or-later
#include "policy/History.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "support/BoundSettings.h"
#include "support/PolicySupport.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace
{
BatteryInfo battery(qint64 health, qint64 cycles, qint64 capacity)
{
    BatteryInfo b = snapshot(50, false);
    b.healthPercent = health;
    b.cycles = cycles;
    b.nominalCapacity = capacity;
    return b;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

// One record call: local time, then health, cycles, capacity.
struct Reading {
    QString at;
    qint64 health, cycles, capacity;
};
} // namespace
Q_DECLARE_METATYPE(QList<Reading>)

class TestHistory : public QObject
{
    Q_OBJECT

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
    std::unique_ptr<QTemporaryDir> m_data;

    QString folder() const { return m_data->path() + QStringLiteral("/Voltquill"); }
    QString file() const { return folder() + QStringLiteral("/verlauf.json"); }
    QString aside(int n = 1) const
    {
        return folder() + (n == 1 ? QStringLiteral("/verlauf-unlesbar.json")
                                  : QStringLiteral("/verlauf-unlesbar-%1.json").arg(n));
    }

private Q_SLOTS:
    void init()
    {
        Prefs::d().clear();
        setTimeZone("UTC");
        m_data = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        // A test may have locked the folder.
        QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
    }

    void firstLaunchCreatesTheFolder()
    {
        History history(m_data->path());
        QVERIFY(QFileInfo(folder()).isDir());
        QVERIFY(history.samples().isEmpty());
        QVERIFY(!QFile::exists(file()));
        history.record(battery(97, 120, 4500), localTime("2025-03-18 10:00:00"));
        QCOMPARE(readAll(file()),
                 QByteArray(R"([{"month":762480000,"health":97,"cycles":120,"capacity":4500}])"));
    }

    void writtenFormat_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QList<Reading>>("readings");
        QTest::addColumn<QByteArray>("json");

        QTest::newRow("UTC")
            << QByteArray("UTC") << QList<Reading>{{"2025-03-31 23:59:59", 97, 120, 4500}}
            << QByteArray(R"([{"month":762480000,"health":97,"cycles":120,"capacity":4500}])");
        QTest::newRow("one hour east: 3600 smaller")
            << QByteArray("Europe/Berlin") << QList<Reading>{{"2025-03-01 00:00:00", 97, 120, 4500}}
            << QByteArray(R"([{"month":762476400,"health":97,"cycles":120,"capacity":4500}])");
        QTest::newRow("summer time")
            << QByteArray("Europe/Berlin") << QList<Reading>{{"2025-07-15 12:00:00", 90, 300, 4100}}
            << QByteArray(R"([{"month":773013600,"health":90,"cycles":300,"capacity":4100}])");
        QTest::newRow("west of UTC")
            << QByteArray("America/New_York") << QList<Reading>{{"2025-03-31 22:00:00", 88, 5, 0}}
            << QByteArray(R"([{"month":762498000,"health":88,"cycles":5,"capacity":0}])");
        QTest::newRow("months sorted, last reading of a month kept")
            << QByteArray("UTC")
            << QList<Reading>{{"2025-04-02 10:00:00", 96, 130, 4480},
                              {"2025-01-20 10:00:00", 99, 100, 4600},
                              {"2025-01-21 10:00:00", 98, 101, 4590}}
            << QByteArray(R"([{"month":757382400,"health":98,"cycles":101,"capacity":4590},)"
                          R"({"month":765158400,"health":96,"cycles":130,"capacity":4480}])");
        QTest::newRow("64-bit extremes")
            << QByteArray("UTC")
            << QList<Reading>{{"2025-01-02 00:00:00", 1, -9223372036854775807LL - 1,
                               9223372036854775807LL}}
            << QByteArray(
                   R"([{"month":757382400,"health":1,"cycles":-9223372036854775808,"capacity":9223372036854775807}])");
    }

    void writtenFormat()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QList<Reading>, readings);
        QFETCH(QByteArray, json);
        setTimeZone(zone);
        {
            History history(m_data->path());
            for (const Reading &r : readings)
                history.record(battery(r.health, r.cycles, r.capacity), localTime(r.at));
        }
        QCOMPARE(readAll(file()), json);
        // And it reads back as written.
        History again(m_data->path());
        QCOMPARE(History::encode(again.samples()), json);
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<HealthSample>>("samples");
        QTest::addColumn<bool>("keptAside");

        const QList<HealthSample> none;
        QTest::newRow("wrong order loads sorted")
            << QByteArray(
                   R"([{"month":300,"health":1,"cycles":1,"capacity":1},{"month":100,"health":2,"cycles":2,"capacity":2},{"month":200,"health":3,"cycles":3,"capacity":3}])")
            << QList<HealthSample>{{100, 2, 2, 2}, {200, 3, 3, 3}, {300, 1, 1, 1}} << false;
        QTest::newRow("equal months keep their order")
            << QByteArray(
                   R"([{"month":200,"health":9,"cycles":9,"capacity":9},{"month":100,"health":1,"cycles":1,"capacity":1},{"month":100,"health":2,"cycles":2,"capacity":2}])")
            << QList<HealthSample>{{100, 1, 1, 1}, {100, 2, 2, 2}, {200, 9, 9, 9}} << false;
        QTest::newRow("any key order, other keys ignored")
            << QByteArray(R"([ {"capacity":4, "note":"x", "cycles":3, "health":2, "month":1.5} ])")
            << QList<HealthSample>{{1.5, 2, 3, 4}} << false;
        QTest::newRow("integers beyond 2^53 stay exact")
            << QByteArray(
                   R"([{"month":0,"health":9007199254740993,"cycles":-9223372036854775808,"capacity":9223372036854775807}])")
            << QList<HealthSample>{{0, 9007199254740993LL, -9223372036854775807LL - 1,
                                    9223372036854775807LL}}
            << false;
        QTest::newRow("empty array") << QByteArray("[]") << none << false;
        QTest::newRow("months of 1970 and 2100")
            << QByteArray(
                   R"([{"month":-978307200,"health":1,"cycles":1,"capacity":1},{"month":3155673599,"health":2,"cycles":2,"capacity":2}])")
            << QList<HealthSample>{{-978307200, 1, 1, 1}, {3155673599, 2, 2, 2}} << false;
        // Far apart, these once kept the chart busy for hours.
        QTest::newRow("months 0 and 9e15")
            << QByteArray(
                   R"([{"month":0,"health":90,"cycles":1,"capacity":1},{"month":9e15,"health":80,"cycles":2,"capacity":2}])")
            << none << true;
        QTest::newRow("month in 2101")
            << QByteArray(R"([{"month":3155673600,"health":1,"cycles":1,"capacity":1}])") << none
            << true;
        QTest::newRow("month before 1970")
            << QByteArray(R"([{"month":-978307201,"health":1,"cycles":1,"capacity":1}])") << none
            << true;
        QTest::newRow("month beyond any double")
            << QByteArray(R"([{"month":1e999,"health":1,"cycles":1,"capacity":1}])") << none
            << true;
        QTest::newRow("element without capacity")
            << QByteArray(
                   R"([{"month":100,"health":1,"cycles":1,"capacity":1},{"month":200,"health":1,"cycles":1}])")
            << none << true;
        QTest::newRow("month as a string")
            << QByteArray(R"([{"month":"100","health":1,"cycles":1,"capacity":1}])") << none
            << true;
        QTest::newRow("fractional health")
            << QByteArray(R"([{"month":100,"health":97.5,"cycles":1,"capacity":1}])") << none
            << true;
        QTest::newRow("cycles beyond 64 bits")
            << QByteArray(R"([{"month":100,"health":1,"cycles":9223372036854775808,"capacity":1}])")
            << none << true;
        QTest::newRow("element not an object") << QByteArray("[1]") << none << true;
        QTest::newRow("object, not an array") << QByteArray(R"({"month":100})") << none << true;
        QTest::newRow("cut off") << QByteArray("[{\"month\":100,\"hea") << none << true;
        QTest::newRow("empty file") << QByteArray() << none << true;
    }

    void load()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<HealthSample>, samples);
        QFETCH(bool, keptAside);
        writeAll(file(), content);
        History history(m_data->path());
        QCOMPARE(history.samples(), samples);
        QCOMPARE(readAll(file()), content); // loading alone changes nothing

        history.record(battery(97, 120, 4500), localTime("2025-03-18 10:00:00"));
        QCOMPARE(QFile::exists(aside()), keptAside);
        if (keptAside) {
            QCOMPARE(readAll(aside()), content);
            QCOMPARE(
                readAll(file()),
                QByteArray(R"([{"month":762480000,"health":97,"cycles":120,"capacity":4500}])"));
        }
    }

    void keptAsideNeverOverwritten()
    {
        writeAll(aside(), "earlier");
        writeAll(aside(2), "earlier still");
        writeAll(file(), "not json");
        History history(m_data->path());
        history.record(battery(97, 120, 4500), localTime("2025-03-18 10:00:00"));
        QCOMPARE(readAll(aside()), QByteArray("earlier"));
        QCOMPARE(readAll(aside(2)), QByteArray("earlier still"));
        QCOMPARE(readAll(aside(3)), QByteArray("not json"));
        // Only once: the new file is ours.
        history.record(battery(96, 121, 4490), localTime("2025-03-19 10:00:00"));
        QVERIFY(!QFile::exists(aside(4)));
    }

    void legacyFolder_data()
    {
        QTest::addColumn<bool>("newFolderToo");
        QTest::newRow("only the legacy folder: taken over") << false;
        QTest::newRow("both: legacy left alone") << true;
    }

    void legacyFolder()
    {
        QFETCH(bool, newFolderToo);
        const QString legacy = m_data->path() + QStringLiteral("/Ohmstead/verlauf.json");
        const QByteArray old = R"([{"month":100,"health":90,"cycles":1,"capacity":1}])";
        writeAll(legacy, old);
        writeAll(m_data->path() + QStringLiteral("/Ohmstead/other"), "kept");
        if (newFolderToo)
            writeAll(file(), R"([{"month":200,"health":80,"cycles":2,"capacity":2}])");

        History history(m_data->path());
        if (newFolderToo) {
            QCOMPARE(history.samples(), (QList<HealthSample>{{200, 80, 2, 2}}));
            QCOMPARE(readAll(legacy), old);
        } else {
            QCOMPARE(history.samples(), (QList<HealthSample>{{100, 90, 1, 1}}));
            QVERIFY(!QFileInfo::exists(m_data->path() + QStringLiteral("/Ohmstead")));
            QCOMPARE(readAll(folder() + QStringLiteral("/other")), QByteArray("kept"));
        }
    }

    void recordWithinAndAcrossMonths()
    {
        History history(m_data->path());
        QSignalSpy changes(&history, &History::samplesChanged);
        history.record(battery(97, 120, 4500), localTime("2025-03-18 10:00:00"));
        QCOMPARE(changes.size(), 1);

        // Same month, same readings: nothing assigned, nothing written.
        QFile::remove(file());
        history.record(battery(97, 120, 4500), localTime("2025-03-30 10:00:00"));
        QCOMPARE(changes.size(), 1);
        QVERIFY(!QFile::exists(file()));

        // A new cycle count replaces the month's sample and writes.
        history.record(battery(97, 121, 4500), localTime("2025-03-30 10:00:30"));
        QCOMPARE(changes.size(), 2);
        QCOMPARE(history.samples(), (QList<HealthSample>{{762480000, 97, 121, 4500}}));
        QVERIFY(QFile::exists(file()));

        // The next month appends.
        history.record(battery(96, 125, 4480), localTime("2025-04-01 00:00:00"));
        QCOMPARE(history.samples(),
                 (QList<HealthSample>{{762480000, 97, 121, 4500}, {765158400, 96, 125, 4480}}));

        // Another time zone: the same calendar month starts at another instant.
        setTimeZone("Europe/Berlin");
        history.record(battery(96, 125, 4480), localTime("2025-04-10 12:00:00"));
        QCOMPARE(history.samples().size(), 3);
        QCOMPARE(history.samples().at(1).month, 765158400.0 - 7200);
        QCOMPARE(History::decode(readAll(file())).value_or(QList<HealthSample>{}),
                 history.samples());
    }

    void recordIgnored_data()
    {
        QTest::addColumn<bool>("historyOn");
        QTest::addColumn<bool>("hasBattery");
        QTest::addColumn<qint64>("health");
        QTest::newRow("historyOn off") << false << true << qint64(97);
        QTest::newRow("no battery") << true << false << qint64(97);
        QTest::newRow("health 0") << true << true << qint64(0);
        QTest::newRow("health below 0") << true << true << qint64(-3);
    }

    void recordIgnored()
    {
        QFETCH(bool, historyOn);
        QFETCH(bool, hasBattery);
        QFETCH(qint64, health);
        Prefs::d().setBool(Key::historyOn, historyOn);
        History history(m_data->path());
        QSignalSpy changes(&history, &History::samplesChanged);
        BatteryInfo info = battery(health, 120, 4500);
        info.hasBattery = hasBattery;
        history.record(info, localTime("2025-03-18 10:00:00"));
        QVERIFY(history.samples().isEmpty());
        QCOMPARE(changes.size(), 0);
        QVERIFY(!QFile::exists(file()));
    }

    void clear_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<bool>("keptAside");
        QTest::newRow("no file") << QByteArray() << false;
        QTest::newRow("a file") << QByteArray(
                                       R"([{"month":100,"health":90,"cycles":1,"capacity":1}])")
                                << false;
        QTest::newRow("an unreadable file is kept") << QByteArray("garbage") << true;
    }

    void clear()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, keptAside);
        if (!content.isEmpty())
            writeAll(file(), content);
        History history(m_data->path());
        QSignalSpy changes(&history, &History::samplesChanged);
        history.clear();
        QCOMPARE(changes.size(), 1);
        QVERIFY(history.samples().isEmpty());
        QVERIFY(!QFile::exists(file()));
        QCOMPARE(readAll(aside()), keptAside ? content : QByteArray());
    }

    void unwritableFolder_data()
    {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::newRow("folder is a file") << true;
        QTest::newRow("read-only folder") << false;
    }

    void unwritableFolder()
    {
        QFETCH(bool, folderIsAFile);
        const QByteArray before = R"([{"month":100,"health":90,"cycles":1,"capacity":1}])";
        if (folderIsAFile) {
            writeAll(folder(), "in the way");
        } else {
            if (geteuid() == 0)
                QSKIP("permissions do not bind root");
            writeAll(file(), before);
            QFile::setPermissions(folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        History history(m_data->path());
        history.record(battery(97, 120, 4500), localTime("2025-03-18 10:00:00"));
        history.record(battery(97, 121, 4500), localTime("2025-03-19 10:00:00"));
        QCOMPARE(history.samples().last(), (HealthSample{762480000, 97, 121, 4500}));
        if (folderIsAFile) {
            QCOMPARE(readAll(folder()), QByteArray("in the way"));
        } else {
            QCOMPARE(readAll(file()), before);
            history.clear();
            QCOMPARE(readAll(file()), before);
        }
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
