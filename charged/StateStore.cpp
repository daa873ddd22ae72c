#include "StateStore.h"

#include "settings/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

StateStore::StateStore(QString directory) : m_directory(std::move(directory)) {}

QString StateStore::defaultDirectory()
{
    const QString moved = qEnvironmentVariable("VOLTQUILL_STATE_DIR");
    return moved.isEmpty() ? QStringLiteral("/var/lib/voltquill") : moved;
}

QString StateStore::filePath() const
{
    return m_directory + QStringLiteral("/state.json");
}

std::optional<ChargeState> StateStore::load(const QList<int> &offered) const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(4096));
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
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
    if (!QDir().mkpath(m_directory))
        return false;
    const QJsonObject object{{QStringLiteral("limit"), state.limit},
                             {QStringLiteral("suspended"), state.suspended}};
    return AtomicFile::write(filePath(),
                             QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}
