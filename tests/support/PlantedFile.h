// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>
#include <sys/stat.h>

// What is at `path` itself, not where a link leads: "missing", "link",
// "fifo", "file" or "other".
inline QString fileKind(const QString &path)
{
    struct stat info {
    };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("missing");
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("link");
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("fifo");
    return S_ISREG(info.st_mode) ? QStringLiteral("file") : QStringLiteral("other");
}

// Puts `plant` at `path`, in place of a program's file: "fifo", "zero" (a
// link to /dev/zero), "link" (to `outside`), "large" (`content` padded with
// spaces to `largeSize` bytes, still valid JSON) or "file" (`content`).
inline bool plantFile(const QString &path, const QString &plant, const QString &outside,
                      const QByteArray &content, qsizetype largeSize)
{
    QFile::remove(path);
    if (plant == u"fifo")
        return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
    if (plant == u"zero")
        return QFile::link(QStringLiteral("/dev/zero"), path);
    if (plant == u"link")
        return QFile::link(outside, path);
    const QByteArray data =
        plant == u"large" ? content + QByteArray(largeSize - content.size(), ' ') : content;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}
