// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as another process or a hand edit may leave it.
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_settings";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    // Almost every input is kept aside, each with a warning.
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("voltquill.files.warning=false"));
        return true;
    }();
    Q_UNUSED(quiet);

    const QString path = dir.filePath(QStringLiteral("settings.json"));
    QFile::remove(path + QStringLiteral(".unreadable"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    SettingsStore store(path);
    for (const char *key : {"showIcon", "iconStyle", "chosenLimit", "lowThreshold", "schedule_1",
                            "scheduleApplied", ""}) {
        const QString k = QString::fromLatin1(key);
        store.boolean(k, true);
        store.integer(k, 10);
        store.optionalInteger(k);
        store.string(k);
    }
    store.setInteger(QStringLiteral("lowThreshold"), 20);
    return 0;
}
