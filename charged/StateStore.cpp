// SPDX-License-Identifier: GPL-3.0-or-later
#include "StateStore.h"

#include "shared/RegularFile.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{
// The limit, the suspension and a charge mode per battery: a few hundred bytes.
constexpr qint64 maxFileSize = 64 << 10;
} // namespace

StateStore::StateStore(QString directory) : m_directory(std::move(directory))
{
    RegularFile::removeTemporaries(filePath());
}

QString StateStore::defaultDirectory()
{
    const QString moved = qEnvironmentVariable("VOLTQUILL_STATE_DIR");
    return moved.isEmpty() ? QStringLiteral("/var/lib/voltquill") : moved;
}

QString StateStore::filePath() const
{
    return m_directory + QStringLiteral("/state.json");
}

QJsonObject StateStore::read() const
{
    const RegularFile::Contents contents = RegularFile::read(filePath(), maxFileSize);
    if (contents.status == RegularFile::Status::Refused) {
        // Out of the way, so the next write makes a fresh file.
        RegularFile::keepAside(filePath(), contents.refusal);
        return {};
    }
    return QJsonDocument::fromJson(contents.data).object();
}

bool StateStore::write(const QJsonObject &object) const
{
    if (!QDir().mkpath(m_directory))
        return false;
    return RegularFile::write(filePath(),
                              QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

std::optional<ChargeState> StateStore::load(const QList<int> &offered) const
{
    const QJsonObject object = read();
    if (object.isEmpty())
        return std::nullopt;
    const QJsonValue limit = object.value(QStringLiteral("limit"));
    const QJsonValue suspended = object.value(QStringLiteral("suspended"));
    if (!limit.isDouble() || !suspended.isBool())
        return std::nullopt;
    const double value = limit.toDouble();
    // Range first: casting a huge double to int is undefined.
    if (!(value >= 0 && value <= 100) || value != static_cast<int>(value) ||
        !offered.contains(static_cast<int>(value)))
        return std::nullopt;
    ChargeState state{static_cast<int>(value), suspended.toBool()};
    if (state.limit >= 100)
        state.suspended = false;
    return state;
}

bool StateStore::save(const ChargeState &state) const
{
    QJsonObject object{{QStringLiteral("limit"), state.limit},
                       {QStringLiteral("suspended"), state.suspended}};
    const QJsonValue modes = read().value(QStringLiteral("modes"));
    if (modes.isObject() && !modes.toObject().isEmpty())
        object.insert(QStringLiteral("modes"), modes);
    return write(object);
}

QMap<QString, QString> StateStore::loadModes() const
{
    QMap<QString, QString> modes;
    const QJsonObject stored = read().value(QStringLiteral("modes")).toObject();
    for (auto it = stored.begin(); it != stored.end(); ++it)
        if (it.value().isString())
            modes.insert(it.key(), it.value().toString());
    return modes;
}

bool StateStore::saveModes(const QMap<QString, QString> &modes) const
{
    QJsonObject object = read();
    QJsonObject stored;
    for (auto it = modes.begin(); it != modes.end(); ++it)
        stored.insert(it.key(), it.value());
    if (stored.isEmpty())
        object.remove(QStringLiteral("modes"));
    else
        object.insert(QStringLiteral("modes"), stored);
    return write(object);
}
