#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QLatin1StringView>
#include <QList>

#include <initializer_list>
#include <optional>

namespace CLIJson {

// The values at `paths` in one of the CLI's JSON answers, in that order: "result.url" is the
// result object's "url", "url" the top's; a missing one is undefined. Nothing when the text is
// not one JSON object.
std::optional<QList<QJsonValue>> values(const QByteArray &json, std::initializer_list<QLatin1StringView> paths);

} // namespace CLIJson
