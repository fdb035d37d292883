#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

namespace FrontDoorURL {

// The address in the output of `sf org open --url-only --json`: "result" -> "url", "orgUrl",
// "frontDoorUrl", then the top-level "url", then the first http(s) run of text anywhere in the
// output. Only a candidate that is a web address (see WebAddress) counts.
std::optional<QUrl> find(const QByteArray &utf8Output);

} // namespace FrontDoorURL
