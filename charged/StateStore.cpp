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

StateStore::StateStore(QString directory, bool tidy) : m_directory(std::move(directory))
{
    if (tidy)
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
    // What else is kept (modes, values found, what was seen) stays.
    QJsonObject object = read();
    object.insert(QStringLiteral("limit"), state.limit);
    object.insert(QStringLiteral("suspended"), state.suspended);
    return write(object);
}

bool StateStore::put(const QString &key, const QJsonValue &value) const
{
    QJsonObject object = read();
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return write(object);
}

QMap<QString, QString> StateStore::loadMap(const QString &key) const
{
    QMap<QString, QString> map;
    const QJsonObject stored = read().value(key).toObject();
    for (auto it = stored.begin(); it != stored.end(); ++it)
        if (it.value().isString())
            map.insert(it.key(), it.value().toString());
    return map;
}

bool StateStore::saveMap(const QString &key, const QMap<QString, QString> &map) const
{
    QJsonObject stored;
    for (auto it = map.begin(); it != map.end(); ++it)
        stored.insert(it.key(), it.value());
    return put(key, stored.isEmpty() ? QJsonValue(QJsonValue::Undefined) : QJsonValue(stored));
}

QMap<QString, QString> StateStore::loadModes() const
{
    return loadMap(QStringLiteral("modes"));
}

bool StateStore::saveModes(const QMap<QString, QString> &modes) const
{
    return saveMap(QStringLiteral("modes"), modes);
}

QMap<QString, QString> StateStore::loadFound() const
{
    return loadMap(QStringLiteral("found"));
}

bool StateStore::saveFound(const QMap<QString, QString> &found) const
{
    return saveMap(QStringLiteral("found"), found);
}

bool StateStore::loadHeldByBehaviour() const
{
    return read().value(QStringLiteral("heldByBehaviour")).toBool();
}

bool StateStore::saveHeldByBehaviour(bool on) const
{
    return put(QStringLiteral("heldByBehaviour"),
               on ? QJsonValue(true) : QJsonValue(QJsonValue::Undefined));
}

std::optional<StateStore::Overshoot> StateStore::loadOvershoot() const
{
    const QJsonObject seen = read().value(QStringLiteral("overshoot")).toObject();
    const int limit = seen.value(QStringLiteral("limit")).toInt();
    const int charge = seen.value(QStringLiteral("charge")).toInt();
    if (limit < 1 || limit > 99 || charge <= limit || charge > 100)
        return std::nullopt;
    return Overshoot{limit, charge, seen.value(QStringLiteral("battery")).toString().left(32),
                     seen.value(QStringLiteral("at")).toString().left(32)};
}

bool StateStore::saveOvershoot(const std::optional<Overshoot> &seen) const
{
    if (!seen)
        return put(QStringLiteral("overshoot"), QJsonValue(QJsonValue::Undefined));
    return put(QStringLiteral("overshoot"), QJsonObject{{QStringLiteral("limit"), seen->limit},
                                                        {QStringLiteral("charge"), seen->charge},
                                                        {QStringLiteral("battery"), seen->battery},
                                                        {QStringLiteral("at"), seen->at}});
}
