#include "CLIJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

using namespace Qt::Literals::StringLiterals;

std::optional<QList<QJsonValue>> CLIJson::values(const QByteArray &json, std::initializer_list<QLatin1StringView> paths)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject top = document.object();
    const QJsonObject result = top.value("result"_L1).toObject(); // empty unless an object
    constexpr QLatin1StringView inResult("result.");
    QList<QJsonValue> found;
    for (const QLatin1StringView path : paths)
        found.append(path.startsWith(inResult) ? result.value(path.sliced(inResult.size())) : top.value(path));
    return found;
}
