// SPDX-License-Identifier: GPL-3.0-or-later
// The agent's folders on a disk that refuses writes: read-only or full. The
// history and the settings live on in memory, the files on disk stay as they
// were, and once the disk takes writes again nothing recorded meanwhile is lost.
//
// As root, permissions bind nobody, so the folder is a real file system: a
// tiny tmpfs, remounted read-only or filled up. Where mounting is not allowed,
// the read-only case runs again as an unprivileged user (setpriv).
#include "StateStore.h"
#include "policy/History.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "settings/SettingsStore.h"
#include "support/BoundSettings.h"
#include "support/TempHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <memory>
#include <sys/mount.h>
#include <unistd.h>

namespace
{
const QByteArray historyBefore =
    R"([{"month":757382400,"health":98,"cycles":100,"capacity":4600}])";
const QByteArray settingsBefore = R"({"lowThreshold": 25})";
const QByteArray stateBefore = R"({"limit":80,"suspended":false})";

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeAll(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(data) == data.size() && file.flush();
}

QDateTime utc(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).toUTC();
}

BatteryInfo battery(qint64 health, qint64 cycles)
{
    BatteryInfo b;
    b.hasBattery = true;
    b.percent = 50;
    b.healthPercent = health;
    b.cycles = cycles;
    b.nominalCapacity = 4500;
    return b;
}

// Every file below a folder, for "nothing left behind".
QStringList filesBelow(const QString &root)
{
    QStringList names;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << it.next().mid(root.size());
    names.sort();
    return names;
}

// Every folder from `root` down, locked or opened for writing.
bool setFoldersWritable(const QString &root, bool writable)
{
    const auto mode =
        QFile::ReadOwner | QFile::ExeOwner | (writable ? QFile::WriteOwner : QFile::Permissions());
    bool ok = QFile::setPermissions(root, mode);
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        ok = QFile::setPermissions(it.next(), mode) && ok;
    return ok;
}
} // namespace

class TestDataFolder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void unwritableDisk_data();
    void unwritableDisk();

private:
    enum class Way { Mount, Permissions };
    bool makeUnwritable(const QString &mode, Way way);
    void makeWritable(const QString &mode, Way way);
    bool runAsNobody(const QString &row);

    TempHome m_home;
    BoundSettings m_settings{m_home.path() + QStringLiteral("/config/Voltquill/settings.json")};
    std::unique_ptr<QTemporaryDir> m_base;
    QString m_disk; // the folder that becomes unwritable
    bool m_mounted = false;
};

void TestDataFolder::initTestCase()
{
    qputenv("TZ", "UTC");
    tzset();
}

void TestDataFolder::cleanup()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_disk).constData(), MNT_DETACH);
    m_mounted = false;
    if (!m_disk.isEmpty())
        setFoldersWritable(m_disk, true);
    m_base.reset();
}

void TestDataFolder::unwritableDisk_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("settingsBefore");
    QTest::addColumn<qint64>("lowThreshold"); // as read at the start

    QTest::newRow("read-only") << "read-only" << settingsBefore << qint64(25);
    QTest::newRow("full") << "full" << settingsBefore << qint64(25);
    // It cannot be kept aside now, and must not be overwritten later.
    QTest::newRow("read-only, settings corrupt")
        << "read-only" << QByteArray("{\"lowThreshold\": 25, oops") << qint64(10);
}

bool TestDataFolder::makeUnwritable(const QString &mode, Way way)
{
    const QByteArray disk = QFile::encodeName(m_disk);
    if (way == Way::Permissions)
        return setFoldersWritable(m_disk, false) &&
               !QFileInfo(m_disk + QStringLiteral("/data/Voltquill")).isWritable();
    if (mode == u"read-only")
        return ::mount(nullptr, disk.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    // Fill what is left of the tiny file system.
    QFile filler(m_disk + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    return true;
}

void TestDataFolder::makeWritable(const QString &mode, Way way)
{
    if (way == Way::Permissions) {
        QVERIFY(setFoldersWritable(m_disk, true));
    } else if (mode == u"read-only") {
        QCOMPARE(
            ::mount(nullptr, QFile::encodeName(m_disk).constData(), nullptr, MS_REMOUNT, nullptr),
            0);
    } else {
        QVERIFY(QFile::remove(m_disk + QStringLiteral("/filler")));
    }
}

bool TestDataFolder::runAsNobody(const QString &row)
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.setWorkingDirectory(QDir::tempPath());
    child.start(setpriv,
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), QStringLiteral("--inh-caps=-all"),
                 QCoreApplication::applicationFilePath(), QStringLiteral("unwritableDisk:") + row});
    return child.waitForFinished(60000) && child.exitStatus() == QProcess::NormalExit &&
           child.exitCode() == 0;
}

void TestDataFolder::unwritableDisk()
{
    QFETCH(QString, mode);
    QFETCH(QByteArray, settingsBefore);
    QFETCH(qint64, lowThreshold);

    m_base = std::make_unique<QTemporaryDir>();
    m_disk = m_base->filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(m_disk));
    Way way = Way::Permissions;
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("VOLTQUILL_TEST_NO_MOUNT")) {
        if (::mount("tmpfs", QFile::encodeName(m_disk).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=64k,mode=0700") == 0) {
            m_mounted = true;
            way = Way::Mount;
        }
    }
    if (way == Way::Permissions && (mode == u"full" || ::geteuid() == 0)) {
        if (mode == u"full")
            QSKIP("a full disk needs a tmpfs mount, which is not allowed here");
        // Permissions bind root nobody: run this case as an unprivileged user.
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("neither a tmpfs mount nor setpriv is available");
        QVERIFY2(runAsNobody(QString::fromLatin1(QTest::currentDataTag())),
                 "the case failed as an unprivileged user");
        return;
    }

    const QString dataHome = m_disk + QStringLiteral("/data");
    const QString historyFile = dataHome + QStringLiteral("/Voltquill/verlauf.json");
    const QString settingsFile = m_disk + QStringLiteral("/config/Voltquill/settings.json");
    QVERIFY(writeAll(historyFile, historyBefore));
    QVERIFY(writeAll(settingsFile, settingsBefore));
    // The service's state folder, were it on such a disk.
    const StateStore state(m_disk + QStringLiteral("/state"));
    QVERIFY(writeAll(state.filePath(), stateBefore));
    QVERIFY2(makeUnwritable(mode, way), qPrintable(qt_error_string(errno)));
    const QStringList filesBefore = filesBelow(m_disk);

    // The agent starts on the unwritable disk and runs for two months.
    History history(dataHome);
    SettingsStore settings(settingsFile);
    QCOMPARE(history.samples().size(), 1);
    QCOMPARE(settings.integer(Key::lowThreshold, 10), lowThreshold);
    history.record(battery(97, 120), utc("2025-03-18T10:00:00"));
    history.record(battery(96, 140), utc("2025-04-02T10:00:00"));
    settings.setInteger(Key::lowThreshold, 15);
    settings.setBool(Key::notifyLow, false);
    QVERIFY(!state.save({75, false})); // reported to the caller as StateNotSaved

    // Kept in memory…
    QCOMPARE(history.samples().size(), 3);
    QCOMPARE(history.samples().last().cycles, 140);
    QCOMPARE(settings.integer(Key::lowThreshold, 10), 15);
    QCOMPARE(settings.boolean(Key::notifyLow, true), false);
    // …nothing on disk lost, replaced or left half-written.
    QCOMPARE(readAll(historyFile), historyBefore);
    QCOMPARE(readAll(settingsFile), settingsBefore);
    QCOMPARE(readAll(state.filePath()), stateBefore);
    QCOMPARE(filesBelow(m_disk), filesBefore);

    // The disk takes writes again: the next change writes everything kept.
    makeWritable(mode, way);
    history.record(battery(96, 141), utc("2025-04-03T10:00:00"));
    settings.setInteger(Key::lowThreshold, 20);
    const auto onDisk = History::decode(readAll(historyFile));
    QVERIFY(onDisk);
    QCOMPARE(*onDisk, history.samples());
    QCOMPARE(onDisk->size(), 3);
    SettingsStore reread(settingsFile);
    QCOMPARE(reread.integer(Key::lowThreshold, 10), 20);
    QCOMPARE(reread.boolean(Key::notifyLow, true), false);
    if (lowThreshold != 25)
        QCOMPARE(readAll(settingsFile + QStringLiteral(".unreadable")), settingsBefore);
    QVERIFY(state.save({75, false}));
    QCOMPARE(state.load({60, 75, 80, 100}), (ChargeState{75, false}));
}

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
