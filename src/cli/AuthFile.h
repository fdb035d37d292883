#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What the application itself reads of an SFDX auth file: only the org's host, to propose an
// alias on import. The CLI reads the file for the import proper.
namespace AuthFile {

// An auth file is a few hundred bytes; a larger one is not read at all.
constexpr qint64 kReadLimit = 1024 * 1024;

// The SFDX auth URL in `json`: the first string of "result" -> "sfdxAuthUrl", the top-level
// "sfdxAuthUrl" and the top-level "url"; absent when that string is empty.
std::optional<QString> sfdxAuthURL(const QByteArray &json);

// The host of the org's instance named by sfdxAuthURL(json).
std::optional<QString> instanceHost(const QByteArray &json);

} // namespace AuthFile
