#include "ChromeProfiles.h"

#include "PosixFiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <optional>

using namespace Qt::Literals::StringLiterals;


QList<ChromeProfile> ChromeProfiles::read(const QString &localStatePath)
{
    const std::optional<QByteArray> bytes = PosixFiles::readSmallFile(localStatePath, kMaxLocalStateBytes);
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
