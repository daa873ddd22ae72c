// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcFiles, "voltquill.files", QtInfoMsg)

namespace
{
constexpr int temporaryTail = 6; // "state.json.Ab3xY9"

QString notRegular()
{
    return QStringLiteral("ist keine gewöhnliche Datei");
}

QString temporaryName(const QString &path)
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString name = path + QLatin1Char('.');
    for (int i = 0; i < temporaryTail; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return name;
}

bool writeAll(int fd, const QByteArray &contents)
{
    for (qsizetype done = 0; done < contents.size();) {
        const ssize_t n = ::write(fd, contents.constData() + done, contents.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool syncFolder(const QString &folder)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}
} // namespace

RegularFile::Contents RegularFile::read(const QString &path, qint64 maxSize, Links links)
{
    return readAt(AT_FDCWD, QFile::encodeName(path).constData(), maxSize, links);
}

RegularFile::Contents RegularFile::readAt(int folder, const char *name, qint64 maxSize, Links links)
{
    Contents out;
    const int noFollow = links == Links::Refuse ? O_NOFOLLOW : 0;
    const int fd = ::openat(folder, name, O_RDONLY | noFollow | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            out.status = Status::Missing;
        } else if (errno == ELOOP) {
            out.status = Status::Refused;
            out.refusal = QStringLiteral("ist ein symbolischer Link");
        } else if (errno == ENXIO) { // a socket
            out.status = Status::Refused;
            out.refusal = notRegular();
        } else {
            out.status = Status::Unreadable;
        }
        return out;
    }
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat info {
    };
    out.status = Status::Refused;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        out.refusal = notRegular();
        return out;
    }
    const auto tooLarge = [maxSize] {
        return QStringLiteral("ist größer als %1 Bytes").arg(maxSize);
    };
    // sysfs gives every attribute a size of one page, whatever it holds.
    if (info.st_size > maxSize) {
        out.refusal = tooLarge();
        return out;
    }
    // Read one byte past the bound: a file that grew since is no file of ours.
    QByteArray data(maxSize + 1, Qt::Uninitialized);
    qsizetype size = 0;
    while (size < data.size()) {
        const qsizetype wanted = data.size() - size;
        const ssize_t n = ::read(fd, data.data() + size, wanted);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            out.status = Status::Unreadable;
            return out;
        }
        size += n;
        // A regular file answers short only at its end: no read to hear that.
        if (n < wanted)
            break;
    }
    if (size > maxSize) {
        out.refusal = tooLarge();
        return out;
    }
    data.truncate(size);
    out.status = Status::Read;
    out.data = std::move(data);
    return out;
}

bool RegularFile::write(const QString &path, const QByteArray &contents)
{
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = QFile::encodeName(temporaryName(path));
        // Exclusive: nothing planted under the new name is opened.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    // A file being replaced keeps its permissions; a link or FIFO passes none on.
    struct stat old {
    };
    if (::lstat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);
    // A full disk shows at the write or at the sync: either way the old file stays.
    const bool written = writeAll(fd, contents) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed ||
        ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    // Without this, the rename may not have reached the disk when the power goes.
    syncFolder(QFileInfo(path).absolutePath());
    return true;
}

bool RegularFile::keepAside(const QString &path, const QString &reason,
                            const std::function<QString(int)> &asideName)
{
    const QByteArray from = QFile::encodeName(path);
    for (int n = 1; n < 1000; ++n) {
        const QString aside = asideName(n);
        // Never over another file kept aside before.
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(aside).constData(),
                        RENAME_NOREPLACE) == 0) {
            qCWarning(lcFiles, "%s %s und wird nicht verwendet; die Datei liegt jetzt unter %s.",
                      qPrintable(path), qPrintable(reason), qPrintable(aside));
            syncFolder(QFileInfo(path).absolutePath());
            return true;
        }
        if (errno == ENOENT)
            return true;
        if (errno != EEXIST)
            break;
    }
    qCWarning(lcFiles, "%s %s und kann nicht beiseitegelegt werden; sie bleibt unverändert.",
              qPrintable(path), qPrintable(reason));
    return false;
}

bool RegularFile::keepAside(const QString &path, const QString &reason)
{
    return keepAside(path, reason, [&](int n) {
        return path +
               (n == 1 ? QStringLiteral(".unreadable") : QStringLiteral(".unreadable.%1").arg(n));
    });
}

void RegularFile::removeTemporaries(const QString &path)
{
    const QFileInfo target(path);
    const QString prefix = target.fileName() + QLatin1Char('.');
    QDir folder = target.absoluteDir();
    const QStringList names =
        folder.entryList({prefix + QString(temporaryTail, QLatin1Char('?'))},
                         QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QStringView tail = QStringView(name).mid(prefix.size());
        if (!std::all_of(tail.begin(), tail.end(),
                         [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); }))
            continue;
        // unlink: a link left there goes, not what it points to.
        if (::unlink(QFile::encodeName(folder.filePath(name)).constData()) == 0)
            qCInfo(lcFiles, "Übrig gebliebene Zwischendatei %s entfernt.",
                   qPrintable(folder.filePath(name)));
    }
}
