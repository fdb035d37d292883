#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace FrontDoorURL {

// The address in the output of `sf org open --url-only --json`: "result" -> "url", "orgUrl",
// "frontDoorUrl", then the top-level "url", of the whole output or else of a JSON document that
// starts on a later line (after a warning, say); then the first http(s) run of text on the org's
// own host `orgHost`, never on any other site (a warning's documentation link, for one). Only a
// candidate that is a web address (see WebAddress) counts.
std::optional<QUrl> find(const QByteArray &utf8Output, const QString &orgHost = {});

} // namespace FrontDoorURL
