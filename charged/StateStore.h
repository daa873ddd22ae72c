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
    // `tidy`: removes what an interrupted write left (not for a reader
    // beside the running service).
    explicit StateStore(QString directory, bool tidy = true);

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

    // What each attribute held before Voltquill first wrote it (path below
    // the sysfs root → value), for the removal to put back.
    QMap<QString, QString> loadFound() const;
    bool saveFound(const QMap<QString, QString> &found) const;

    // The firmware was seen ignoring the threshold: the limit is held through
    // charge_behaviour from then on.
    bool loadHeldByBehaviour() const;
    bool saveHeldByBehaviour(bool on) const;

    // What was seen of a firmware charging past the limit.
    struct Overshoot {
        int limit = 0;  // the limit in force
        int charge = 0; // the charge seen, in percent
        QString battery;
        QString at; // ISO 8601, UTC
    };
    std::optional<Overshoot> loadOvershoot() const;
    bool saveOvershoot(const std::optional<Overshoot> &seen) const;

    QString filePath() const;

private:
    QJsonObject read() const;
    bool write(const QJsonObject &object) const;
    QMap<QString, QString> loadMap(const QString &key) const;
    bool saveMap(const QString &key, const QMap<QString, QString> &map) const;
    // Sets `key` (removes it when `value` is undefined), the rest as it is.
    bool put(const QString &key, const QJsonValue &value) const;

    QString m_directory;
};
