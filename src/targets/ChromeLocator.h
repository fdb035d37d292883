#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace ChromeLocator {

// A regular file (after following links) that the current user may execute. Relative paths never
// count: they would depend on the working folder.
bool isExecutableFile(const QString &path);

// The first candidate that is an executable file. Checked anew on every call, since Chrome may be
// installed or removed while the app runs.
std::optional<QString> find(const QStringList &candidates);

} // namespace ChromeLocator
