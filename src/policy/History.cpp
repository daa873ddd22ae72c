// SPDX-License-Identifier: GPL-3.0-or-later
#include "policy/History.h"

#include "settings/Defaults.h"
#include "settings/Key.h"
#include "settings/Prefs.h"
#include "shared/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace
{
const QString folderName = QStringLiteral("Voltquill");
const QString legacyFolderName = QStringLiteral("Ohmstead");
const QString fileName = QStringLiteral("verlauf.json");
// One sample of about 80 bytes a month: a century is under 100 KiB.
constexpr qint64 maxFileSize = 1 << 20;

void sortByMonth(QList<HealthSample> &samples)
{
    std::stable_sort(
        samples.begin(), samples.end(),
        [](const HealthSample &a, const HealthSample &b) { return a.month < b.month; });
}
} // namespace

History::History(QString dataHome, QObject *parent)
    : QObject(parent), m_dataHome(std::move(dataHome))
{
    load();
}

QString History::filePath() const
{
    const QDir home(m_dataHome);
    if (!QFileInfo::exists(home.filePath(folderName)) &&
        QFileInfo::exists(home.filePath(legacyFolderName)))
        QDir(m_dataHome).rename(legacyFolderName, folderName);
    QDir(m_dataHome).mkpath(folderName);
    return home.filePath(folderName + u'/' + fileName);
}

double History::monthOf(const QDateTime &now)
{
    const QDate today = now.toLocalTime().date();
    const QDateTime first(QDate(today.year(), today.month(), 1), QTime(0, 0));
    return static_cast<double>(first.toSecsSinceEpoch() - HealthSample::referenceEpoch);
}

QByteArray History::encode(const QList<HealthSample> &samples)
{
    // Written by hand: a JSON object would sort the keys.
    QByteArray out = "[";
    for (qsizetype i = 0; i < samples.size(); ++i) {
        if (i > 0)
            out += ',';
        out += samples.at(i).toJson();
    }
    out += ']';
    return out;
}

std::optional<QList<HealthSample>> History::decode(const QByteArray &data)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    QList<HealthSample> samples;
    const QJsonArray array = doc.array();
    samples.reserve(array.size());
    for (const QJsonValue &element : array) {
        if (!element.isObject())
            return std::nullopt;
        const auto sample = HealthSample::fromJson(element.toObject());
        if (!sample)
            return std::nullopt;
        samples.append(*sample);
    }
    return samples;
}

void History::load()
{
    const QString path = filePath();
    RegularFile::removeTemporaries(path);
    const RegularFile::Contents contents = RegularFile::read(path, maxFileSize);
    if (contents.status == RegularFile::Status::Missing)
        return;
    std::optional<QList<HealthSample>> decoded;
    if (contents.status == RegularFile::Status::Read)
        decoded = decode(contents.data);
    if (contents.status == RegularFile::Status::Refused) {
        // Not read at all: out of the way now, so recording starts afresh.
        m_unusableReason = contents.refusal;
        if (keepAside(path))
            m_unusableReason.clear();
        return;
    }
    if (!decoded) {
        // Years of records may sit behind one bad byte: start empty, but never
        // let the next write replace that file.
        m_unusableReason = QStringLiteral("ist kein lesbarer Verlauf");
        return;
    }
    sortByMonth(*decoded);
    m_samples = std::move(*decoded);
}

void History::record(const BatteryInfo &info, const QDateTime &now)
{
    if (!Prefs::historyOn() || !info.hasBattery || info.healthPercent <= 0)
        return;
    const HealthSample sample{monthOf(now), info.healthPercent, info.cycles, info.nominalCapacity};
    // The usual tick: this month's sample is already the last one, unchanged
    // (the list is sorted, so another sample of the month would sit just before).
    const qsizetype n = m_samples.size();
    if (n > 0 && m_samples.last() == sample && (n < 2 || m_samples.at(n - 2).month != sample.month))
        return;
    QList<HealthSample> next;
    next.reserve(m_samples.size() + 1);
    std::copy_if(m_samples.cbegin(), m_samples.cend(), std::back_inserter(next),
                 [&](const HealthSample &s) { return s.month != sample.month; });
    next.append(sample);
    sortByMonth(next);
    if (next == m_samples)
        return;
    assign(std::move(next));
    save();
}

void History::clear()
{
    assign({});
    const QString path = filePath();
    if (!m_unusableReason.isEmpty()) {
        // Nothing of that file was ever shown, so clearing must not destroy it.
        if (keepAside(path))
            m_unusableReason.clear();
        return;
    }
    QFile::remove(path);
}

void History::assign(QList<HealthSample> samples)
{
    m_samples = std::move(samples);
    Q_EMIT samplesChanged();
}

bool History::keepAside(const QString &path) const
{
    const QString stem = QFileInfo(path).dir().filePath(QStringLiteral("verlauf-unlesbar"));
    return RegularFile::keepAside(path, m_unusableReason, [&](int n) {
        return stem + (n == 1 ? QStringLiteral(".json") : QStringLiteral("-%1.json").arg(n));
    });
}

void History::save()
{
    const QString path = filePath();
    if (!m_unusableReason.isEmpty()) {
        if (!keepAside(path))
            return;
        m_unusableReason.clear();
    }
    RegularFile::write(path, encode(m_samples));
}
