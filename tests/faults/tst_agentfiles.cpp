// SPDX-License-Identifier: GPL-3.0-or-later
// What the agent finds in place of its settings and its health history: a
// FIFO, a link to a device or to a file elsewhere, a file far too large,
// temporaries of a write that was killed. The agent starts at once with the
// defaults, keeps the strange thing aside as it is and writes a fresh file;
// nothing is read through a link or written through one.
#include "policy/History.h"
#include "settings/Key.h"
#include "settings/SettingsStore.h"
#include "support/BoundSettings.h"
#include "support/PlantedFile.h"
#include "support/TempHome.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <array>
#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace
{
const QByteArray settingsContent = R"({"lowThreshold": 25})";
const QByteArray historyContent =
    R"([{"month":757382400,"health":98,"cycles":100,"capacity":4600}])";

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Opens a FIFO's writing end after two seconds, so a reader blocked on it
// gets its end of file and the test fails instead of hanging.
class FifoWatchdog
{
public:
    explicit FifoWatchdog(const QString &fifo)
        : m_thread([this, name = QFile::encodeName(fifo)] {
              for (int i = 0; i < 200 && !m_done; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(10));
              if (m_done)
                  return;
              m_fired = true;
              const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
              if (fd >= 0)
                  ::close(fd);
          })
    {
    }
    ~FifoWatchdog() { stop(); }
    FifoWatchdog(const FifoWatchdog &) = delete;
    FifoWatchdog &operator=(const FifoWatchdog &) = delete;

    // Whether the reader had to be set free.
    bool stop()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_fired;
    }

private:
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_fired{false};
    std::thread m_thread;
};
} // namespace

class TestAgentFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void plantedFile_data();
    void plantedFile();

private:
    TempHome m_home;
    BoundSettings m_prefs{m_home.path() + QStringLiteral("/prefs/settings.json")};
};

void TestAgentFiles::initTestCase()
{
    qputenv("TZ", "UTC");
    tzset();
}

void TestAgentFiles::plantedFile_data()
{
    QTest::addColumn<QString>("file"); // settings or history
    QTest::addColumn<QString>("plant");
    QTest::addColumn<QString>("aside"); // what is kept aside, as it was

    // A FIFO hung the start, /dev/zero was read to 2 GB and the agent
    // aborted, a 50 MiB history took seconds and hundreds of MB.
    const QList<std::array<const char *, 3>> plants{{"FIFO", "fifo", "fifo"},
                                                    {"link to /dev/zero", "zero", "link"},
                                                    {"link to a file elsewhere", "link", "link"},
                                                    {"2 MiB", "large", "file"},
                                                    {"a good file", "file", "missing"}};
    for (const char *file : {"settings", "history"})
        for (const auto &[name, plant, aside] : plants)
            QTest::addRow("%s: %s", file, name)
                << QString::fromLatin1(file) << QString::fromLatin1(plant)
                << QString::fromLatin1(aside);
}

void TestAgentFiles::plantedFile()
{
    QFETCH(QString, file);
    QFETCH(QString, plant);
    QFETCH(QString, aside);

    const bool settings = file == u"settings";
    const QString folder =
        m_home.path() + QStringLiteral("/%1/%2/Voltquill").arg(file, QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    const QString path =
        folder + (settings ? QStringLiteral("/settings.json") : QStringLiteral("/verlauf.json"));
    const QString keptAside = folder + (settings ? QStringLiteral("/settings.json.unreadable")
                                                 : QStringLiteral("/verlauf-unlesbar.json"));
    const QByteArray content = settings ? settingsContent : historyContent;
    const QString outside = m_home.path() + QStringLiteral("/precious-%1").arg(file);
    writeFile(outside, content);

    // 2 MiB, still valid: refused for its size alone.
    QVERIFY(plantFile(path, plant, outside, content, 2 << 20));
    // What a write killed midway leaves behind, beside a file of the user's.
    const QStringList leftovers{path + QStringLiteral(".Ab3xY9"), path + QStringLiteral(".q0Z8mK")};
    for (const QString &leftover : leftovers)
        writeFile(leftover, content.left(5));
    writeFile(path + QStringLiteral(".bak"), content);

    FifoWatchdog watchdog(path);
    QElapsedTimer started;
    started.start();
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<History> history;
    if (settings)
        store = std::make_unique<SettingsStore>(path);
    else
        history = std::make_unique<History>(
            m_home.path() + QStringLiteral("/%1/%2").arg(file, QTest::currentDataTag()));
    const qint64 elapsed = started.elapsed();
    QVERIFY2(!watchdog.stop(), "the start waited for a writer at the FIFO");
    QVERIFY2(elapsed < 1000, qPrintable(QStringLiteral("the start took %1 ms").arg(elapsed)));

    // Only a good file is read; anything else leaves the defaults.
    const bool good = plant == u"file";
    if (settings)
        QCOMPARE(store->integer(Key::lowThreshold, 10), good ? 25 : 10);
    else
        QCOMPARE(history->samples().size(), good ? 1 : 0);
    QCOMPARE(fileKind(keptAside), aside);
    for (const QString &leftover : leftovers)
        QVERIFY2(!QFileInfo::exists(leftover), qPrintable(leftover));
    QCOMPARE(readFile(path + QStringLiteral(".bak")), content);

    // The next write makes a fresh file and goes through no link.
    if (settings) {
        store->setInteger(Key::lowThreshold, 15);
        QCOMPARE(SettingsStore(path).integer(Key::lowThreshold, 10), 15);
    } else {
        BatteryInfo battery;
        battery.hasBattery = true;
        battery.healthPercent = 90;
        battery.cycles = 300;
        battery.nominalCapacity = 4000;
        history->record(battery, QDateTime(QDate(2026, 3, 5), QTime(12, 0), Qt::UTC));
        QCOMPARE(History::decode(readFile(path))->size(), good ? 2 : 1);
    }
    QCOMPARE(fileKind(path), QStringLiteral("file"));
    QCOMPARE(readFile(outside), content);
}

QTEST_GUILESS_MAIN(TestAgentFiles)
#include "tst_agentfiles.moc"
