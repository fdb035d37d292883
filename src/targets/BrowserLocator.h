#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace BrowserLocator {

// The first candidate that is an executable file (see PosixFiles::isExecutableFile), as an
// absolute path; a name without a slash is a command looked up on PATH. Relative paths never
// count: they would depend on the working folder. Checked anew on every call, since a browser
// may be installed or removed while the app runs.
std::optional<QString> find(const QStringList &candidates);

} // namespace BrowserLocator
