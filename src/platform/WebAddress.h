#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace WebAddress {

// The text as an absolute http or https address with a host, or nothing. Only such an address
// is ever handed to a browser: a text like "--renderer-cmd-prefix=..." or "javascript:..." from
// a command's output must never reach a browser's command line.
std::optional<QUrl> parse(const QString &text);

// The same rule for an address that is already parsed.
bool isWebAddress(const QUrl &url);

} // namespace WebAddress
