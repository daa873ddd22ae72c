// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChargeLog.h"

#include <QByteArray>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcCharge, "voltquill.charge", QtInfoMsg)

namespace
{
// JOURNAL_STREAM names the journal's socket as "device:inode"; it counts
// only while stderr is still that socket (not redirected by a caller).
bool stderrIsJournal()
{
    const QByteArray stream = qgetenv("JOURNAL_STREAM");
    const qsizetype colon = stream.indexOf(':');
    struct stat status = {};
    if (colon < 0 || ::fstat(STDERR_FILENO, &status) != 0)
        return false;
    bool deviceOk = false;
    bool inodeOk = false;
    const qulonglong device = stream.left(colon).toULongLong(&deviceOk);
    const qulonglong inode = stream.mid(colon + 1).toULongLong(&inodeOk);
    return deviceOk && inodeOk && device == status.st_dev && inode == status.st_ino;
}
} // namespace

void ChargeLog::useJournalPriorities()
{
    if (qEnvironmentVariableIsSet("QT_MESSAGE_PATTERN") || !stderrIsJournal())
        return;
    // The journal adds time and process: the line keeps the category and the message.
    qSetMessagePattern(QStringLiteral("%{if-debug}<7>%{endif}%{if-info}<6>%{endif}"
                                      "%{if-warning}<4>%{endif}%{if-critical}<3>%{endif}"
                                      "%{if-fatal}<2>%{endif}"
                                      "%{if-category}%{category}: %{endif}%{message}"));
}
