#pragma once

#include "ChargeState.h"

#include <QList>
#include <QString>
#include <optional>

// The service's state file, state.json in VOLTQUILL_STATE_DIR
// (default /var/lib/voltquill), written atomically.
class StateStore
{
public:
    explicit StateStore(QString directory);

    static QString defaultDirectory();

    // The kept state; nothing when the file is missing, unreadable or holds a
    // limit the hardware does not offer (a hand-edited file injects nothing).
    std::optional<ChargeState> load(const QList<int> &offered) const;
    bool save(const ChargeState &state) const;

    QString filePath() const;

private:
    QString m_directory;
};
