// SPDX-License-Identifier: GPL-3.0-or-later
#include "shared/AtomicFile.h"

#include <QSaveFile>

bool AtomicFile::write(const QString &path, const QByteArray &contents)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(contents);
    // A write that fails only when the buffer is flushed (a full disk) would
    // still be committed, replacing the file with a cut-off one.
    if (!file.flush())
        file.cancelWriting();
    return file.commit();
}
