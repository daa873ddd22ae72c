// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ChargeState.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// The service's state file, state.json in VOLTQUILL_STATE_DIR
// (default /var/lib/voltquill), written atomically. What is there instead of
// a regular file of a sensible size is moved aside to state.json.unreadable;
// what an interrupted write left behind goes when the store is made.
class StateStore
{
public:
    explicit StateStore(QString directory);

    static QString defaultDirectory();

    // The kept state; nothing when the file is missing, unreadable or holds a
    // limit the hardware does not offer (a hand-edited file injects nothing).
    std::optional<ChargeState> load(const QList<int> &offered) const;
    // Keeps the modes found beside the state.
    bool save(const ChargeState &state) const;

    // The charge modes found on the batteries before a limit switched them
    // (supply name → mode), to be switched back when the limit goes. A file
    // without them (older versions) holds none.
    QMap<QString, QString> loadModes() const;
    bool saveModes(const QMap<QString, QString> &modes) const;

    QString filePath() const;

private:
    QJsonObject read() const;
    bool write(const QJsonObject &object) const;

    QString m_directory;
};
