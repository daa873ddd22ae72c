// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ConfigPaths.h"
#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "settings/SettingsStore.h"
#include "support/BoundSettings.h"
#include "support/TempHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};

    static void writeFile(const QString &path, const QByteArray &json)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(json);
    }

    // Puts one raw JSON value under "k" in the shared store's file and reloads it.
    static void storeRaw(const QByteArray &json)
    {
        writeFile(Prefs::d().filePath(), json);
        Prefs::d().reload();
    }

private Q_SLOTS:
    void init() { Prefs::d().clear(); }

    void agentFolderLivesInXdgConfigHome()
    {
        QCOMPARE(ConfigPaths::configDir(), m_home.path() + QStringLiteral("/config/Voltquill"));
    }

    // Every row of the table: its setter stores a value of its own JSON type
    // under its own name, and its reader gives that value back; cleared, the
    // reader gives the row's default.
    void tableRowsRoundTrip()
    {
        const auto other = [](auto fallback) {
            using T = std::decay_t<decltype(fallback)>;
            if constexpr (std::is_same_v<T, bool>)
                return !fallback;
            else if constexpr (std::is_same_v<T, qint64>)
                return fallback + 7;
            else if constexpr (std::is_same_v<T, std::optional<qint64>>)
                return std::optional<qint64>(77);
            else
                return std::optional<QString>(QStringLiteral("2025-03-18"));
        };
        const auto jsonType = [](auto fallback) {
            using T = std::decay_t<decltype(fallback)>;
            if constexpr (std::is_same_v<T, bool>)
                return QJsonValue::Bool;
            else if constexpr (std::is_same_v<T, std::optional<QString>>)
                return QJsonValue::String;
            else
                return QJsonValue::Double;
        };
#define CHECK_ROW(Type, name, Name, fallback, reader)                                              \
    {                                                                                              \
        QCOMPARE(Prefs::name(), Defaults::name);                                                   \
        const Type value = other(Defaults::name);                                                  \
        Prefs::set##Name(value);                                                                   \
        QCOMPARE(Prefs::name(), value);                                                            \
        QFile file(Prefs::d().filePath());                                                         \
        QVERIFY(file.open(QIODevice::ReadOnly));                                                   \
        const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();                    \
        QCOMPARE(o.value(QStringLiteral(#name)).type(), jsonType(Defaults::name));                 \
        Prefs::d().clear();                                                                        \
        QCOMPARE(Prefs::name(), Defaults::name);                                                   \
    }
        VOLTQUILL_SETTINGS(CHECK_ROW)
#undef CHECK_ROW
        QCOMPARE(Prefs::scheduleDay(3), Defaults::scheduleLimit);
        Prefs::setScheduleDay(3, 65);
        QCOMPARE(Prefs::d().integer(QStringLiteral("schedule_3"), 0), 65);
    }

    void emptyStoreReadsDefaults()
    {
        SettingsStore &d = Prefs::d();
        QCOMPARE(d.boolean(Key::notifyLimit, Defaults::notifyLimit), true);
        QCOMPARE(d.integer(Key::lowThreshold, Defaults::lowThreshold), 10);
        QCOMPARE(d.integer(Key::adapterMinWatts, Defaults::adapterMinWatts), 60);
        QCOMPARE(d.boolean(Key::scheduleOn, Defaults::scheduleOn), false);
        QCOMPARE(d.integer(Key::scheduleEveHour, Defaults::scheduleEveHour), 20);
        QCOMPARE(d.integer(Key::scheduleDay(7), Defaults::scheduleLimit), 80);
        QCOMPARE(d.integer(Key::blinkThreshold, Defaults::blinkThreshold), 10);
        QVERIFY(!d.string(Key::scheduleApplied));
        QVERIFY(!Prefs::chosenLimit());
        QCOMPARE(Prefs::showIcon(), true);
        QCOMPARE(Prefs::iconStyle(), 0);
        QCOMPARE(Key::scheduleDay(2), QStringLiteral("schedule_2"));
        // Reading registers nothing.
        QVERIFY(!QFile::exists(d.filePath()) || !d.contains(Key::notifyLimit));
    }

    void typedReads_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("asBool");      // boolean(k, false)
        QTest::addColumn<qint64>("asInt");     // integer(k, -1)
        QTest::addColumn<bool>("hasInteger");  // optionalInteger(k)
        QTest::addColumn<QString>("asString"); // string(k) or "<none>"

        QTest::newRow("true") << QByteArray("true") << true << qint64(-1) << false << "<none>";
        QTest::newRow("int") << QByteArray("85") << false << qint64(85) << true << "<none>";
        QTest::newRow("negative") << QByteArray("-5") << false << qint64(-5) << true << "<none>";
        QTest::newRow("fraction") << QByteArray("80.5") << false << qint64(-1) << false << "<none>";
        QTest::newRow("int as string")
            << QByteArray("\"80\"") << false << qint64(-1) << false << "80";
        QTest::newRow("abc") << QByteArray("\"abc\"") << false << qint64(-1) << false << "abc";
        QTest::newRow("1 is no Boolean")
            << QByteArray("1") << false << qint64(1) << true << "<none>";
        QTest::newRow("null") << QByteArray("null") << false << qint64(-1) << false << "<none>";
        QTest::newRow("array") << QByteArray("[1]") << false << qint64(-1) << false << "<none>";
        QTest::newRow("2^53") << QByteArray("9007199254740992") << false
                              << qint64(9007199254740992LL) << true << "<none>";
        QTest::newRow("2^63 too large")
            << QByteArray("9223372036854775808") << false << qint64(-1) << false << "<none>";
        QTest::newRow("-2^63") << QByteArray("-9223372036854775808") << false
                               << std::numeric_limits<qint64>::min() << true << "<none>";
    }

    void typedReads()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, asBool);
        QFETCH(qint64, asInt);
        QFETCH(bool, hasInteger);
        QFETCH(QString, asString);
        storeRaw("{\"k\": " + json + "}");
        const SettingsStore &d = Prefs::d();
        QCOMPARE(d.boolean(QStringLiteral("k"), false), asBool);
        QCOMPARE(d.integer(QStringLiteral("k"), -1), asInt);
        QCOMPARE(d.optionalInteger(QStringLiteral("k")).has_value(), hasInteger);
        QCOMPARE(d.string(QStringLiteral("k")).value_or(QStringLiteral("<none>")), asString);
    }

    void iconStyle_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<qint64>("style");
        QTest::newRow("both absent") << QByteArray("{}") << qint64(0);
        QTest::newRow("showPercent true") << QByteArray(R"({"showPercent": true})") << qint64(2);
        QTest::newRow("showPercent false") << QByteArray(R"({"showPercent": false})") << qint64(0);
        QTest::newRow("iconStyle wins")
            << QByteArray(R"({"iconStyle": 1, "showPercent": true})") << qint64(1);
        QTest::newRow("unclamped") << QByteArray(R"({"iconStyle": 7})") << qint64(7);
        QTest::newRow("mistyped style")
            << QByteArray(R"({"iconStyle": "1", "showPercent": true})") << qint64(2);
    }

    void iconStyle()
    {
        QFETCH(QByteArray, json);
        QFETCH(qint64, style);
        storeRaw(json);
        QCOMPARE(Prefs::iconStyle(), style);
        QVERIFY(!Prefs::d().contains(QStringLiteral("iconStyle")) || json.contains("iconStyle"));
    }

    void chosenLimit_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<qint64>("limit"); // -1: absent
        QTest::newRow("80") << QByteArray("80") << qint64(80);
        QTest::newRow("string") << QByteArray("\"80\"") << qint64(-1);
        QTest::newRow("80.5") << QByteArray("80.5") << qint64(-1);
        QTest::newRow("Boolean") << QByteArray("true") << qint64(-1);
    }

    void chosenLimit()
    {
        QFETCH(QByteArray, json);
        QFETCH(qint64, limit);
        storeRaw("{\"chosenLimit\": " + json + "}");
        QCOMPARE(Prefs::chosenLimit().value_or(-1), limit);
    }

    void writesKeepTypesAndRoundTrip()
    {
        Prefs::setShowIcon(false);
        Prefs::setChosenLimit(85);
        Prefs::d().setString(Key::scheduleApplied, QStringLiteral("2025-03-18"));
        QFile file(Prefs::d().filePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
        QVERIFY(o.value(QStringLiteral("showIcon")).isBool());
        QCOMPARE(o.value(QStringLiteral("chosenLimit")).toInteger(), 85);
        QCOMPARE(o.value(QStringLiteral("scheduleApplied")).toString(),
                 QStringLiteral("2025-03-18"));

        SettingsStore other(Prefs::d().filePath());
        QCOMPARE(other.boolean(QStringLiteral("showIcon"), true), false);
        QCOMPARE(other.optionalInteger(QStringLiteral("chosenLimit")), std::optional<qint64>(85));

        Prefs::setChosenLimit(std::nullopt);
        QVERIFY(!Prefs::d().contains(QStringLiteral("chosenLimit")));
    }

    void changeSignalOnlyForRealChanges()
    {
        QSignalSpy spy(&Prefs::d(), &SettingsStore::changed);
        Prefs::d().setInteger(Key::lowThreshold, 20);
        Prefs::d().setInteger(Key::lowThreshold, 20);
        Prefs::d().remove(Key::notifyLow); // absent already
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), Key::lowThreshold);
    }

    void aBurstOfOutsideWritesIsReadOnceAMoment()
    {
        // Another process rewriting the file in a loop: reading it at every
        // event cost the agent a re-read and a signal per write.
        QSignalSpy spy(&Prefs::d(), &SettingsStore::changed);
        QElapsedTimer burst;
        burst.start();
        int writes = 0;
        while (burst.elapsed() < 300) {
            writeFile(Prefs::d().filePath(), QByteArray("{\"lowThreshold\": ") +
                                                 QByteArray::number(11 + writes++ % 9) + "}");
            QTest::qWait(1);
        }
        QVERIFY2(
            spy.count() <= 300 / 20 + 5,
            qPrintable(QStringLiteral("%1 reloads for %2 writes").arg(spy.count()).arg(writes)));
        // The last one is still read at once.
        writeFile(Prefs::d().filePath(), R"({"lowThreshold": 42})");
        QTRY_COMPARE_WITH_TIMEOUT(Prefs::d().integer(Key::lowThreshold, 10), 42, 250);
    }

    void picksUpChangesOfAnotherProcess()
    {
        Prefs::d().setInteger(Key::lowThreshold, 20);
        QSignalSpy spy(&Prefs::d(), &SettingsStore::changed);
        SettingsStore other(Prefs::d().filePath()); // stands for another process
        other.setInteger(Key::lowThreshold, 30);
        other.setBool(Key::notifyLow, false);
        QTRY_COMPARE(Prefs::d().integer(Key::lowThreshold, 10), 30);
        QTRY_COMPARE(Prefs::d().boolean(Key::notifyLow, true), false);
        QStringList keys;
        for (const auto &args : spy)
            keys << args.at(0).toString();
        QVERIFY(keys.contains(Key::lowThreshold));
        QVERIFY(keys.contains(Key::notifyLow));
    }

    void unreadableFileIsKeptAside()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("settings.json"));
        writeFile(path, "{\"lowThreshold\": 25, oops");
        SettingsStore store(path);
        QCOMPARE(store.integer(Key::lowThreshold, 10), 10);
        store.setBool(Key::notifyLow, false);
        QFile aside(path + QStringLiteral(".unreadable"));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), QByteArray("{\"lowThreshold\": 25, oops"));

        // A second broken file does not replace the first one kept aside.
        writeFile(path, "garbage");
        SettingsStore again(path);
        QVERIFY(QFile::exists(path + QStringLiteral(".unreadable.2")));
    }

    void brokenExternalEditKeepsKnownValues()
    {
        Prefs::d().setInteger(Key::lowThreshold, 20);
        writeFile(Prefs::d().filePath(), "{ half");
        Prefs::d().reload();
        QCOMPARE(Prefs::d().integer(Key::lowThreshold, 10), 20);
    }

    void unwritableFolderKeepsValuesInMemory()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("ro"));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(folder).isWritable())
            QSKIP("running with privileges that ignore folder permissions");
        SettingsStore store(folder + QStringLiteral("/settings.json"));
        store.setInteger(Key::lowThreshold, 15);
        QCOMPARE(store.integer(Key::lowThreshold, 10), 15);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
