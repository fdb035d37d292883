#include "ChromeProfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<QByteArray> readCapped(const QString &path)
{
    // Only regular files: opening a FIFO in its place would block until a writer came along.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > ChromeProfiles::kMaxLocalStateBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // The file may grow after the size check; the cap holds regardless.
    QByteArray bytes;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return bytes;
        if (bytes.size() + n > ChromeProfiles::kMaxLocalStateBytes)
            return std::nullopt;
        bytes.append(chunk, n);
    }
}

} // namespace

QList<ChromeProfile> ChromeProfiles::read(const QString &localStatePath)
{
    const std::optional<QByteArray> bytes = readCapped(localStatePath);
    return bytes ? fromLocalState(*bytes) : QList<ChromeProfile>();
}

QList<ChromeProfile> ChromeProfiles::fromLocalState(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return {};
    const QJsonValue profile = document.object().value("profile"_L1);
    if (!profile.isObject())
        return {};
    const QJsonValue infoCache = profile.toObject().value("info_cache"_L1);
    if (!infoCache.isObject())
        return {};

    const QJsonObject entries = infoCache.toObject();
    QList<ChromeProfile> profiles;
    profiles.reserve(entries.size());
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it.key().isEmpty())
            continue;
        // Every entry is offered, even one whose name is unusable: the folder name stands in.
        const QJsonValue name = it.value().toObject().value("name"_L1);
        const bool named = name.isString() && !name.toString().isEmpty();
        profiles.append({it.key(), named ? name.toString() : it.key()});
    }
    return profiles;
}
