// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <functional>

// "voltquill.files": files refused, kept aside or left over from a write.
Q_DECLARE_LOGGING_CATEGORY(lcFiles)

// The one way both programs open their files. A read takes only a regular
// file: never through a link in its place (the folders above may be links, as
// in sysfs), never blocking on a FIFO, never more than a bound that fits what
// the file holds. A write replaces the file in one step: readers see the old
// contents or the new ones, a link planted in its place is replaced rather
// than written through, and once it returns a power loss cannot lose it.
class RegularFile
{
public:
    enum class Status {
        Read,
        Missing,
        Unreadable, // an error of the disk or driver, or no permission
        Refused,    // a link, a FIFO, a device, or larger than the bound
    };

    struct Contents {
        Status status = Status::Missing;
        QByteArray data;
        QString refusal; // why it was refused, in German, for the log
    };

    // Links::Follow for files of the desktop's that a user may keep as links
    // (dotfiles); what the link leads to must still be a regular file.
    enum class Links { Refuse, Follow };

    static Contents read(const QString &path, qint64 maxSize, Links links = Links::Refuse);
    // The same, for `name` relative to an open `folder` (as openat(2)).
    static Contents readAt(int folder, const char *name, qint64 maxSize,
                           Links links = Links::Refuse);

    // Writes beside `path` into a new file, syncs it, renames it over `path`
    // and syncs the folder.
    static bool write(const QString &path, const QByteArray &contents);

    // Renames `path` (the link itself, if it is one) to the first of
    // asideName(1), asideName(2), … that is free, and warns in the log that
    // it `reason` ("ist ein symbolischer Link"); true also when there was
    // nothing to move.
    static bool keepAside(const QString &path, const QString &reason,
                          const std::function<QString(int)> &asideName);
    // To `path`.unreadable, .unreadable.2, …
    static bool keepAside(const QString &path, const QString &reason);

    // Removes what an interrupted write left beside `path`.
    static void removeTemporaries(const QString &path);
};
