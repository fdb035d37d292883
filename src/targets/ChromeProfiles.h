#pragma once

#include "OpenTarget.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>

// Chrome's profiles, as its "Local State" file lists them under profile.info_cache.
namespace ChromeProfiles {

// Larger files are not read: Chrome's own stays far smaller, and reading a huge one would only
// exhaust memory.
constexpr qint64 kMaxLocalStateBytes = 64 * 1024 * 1024;

// One target per profile, sorted by label. An entry whose folder name is empty or would give
// Chrome default's id is left out. Any problem with the file (missing, unreadable, not a regular
// file, too large, not the expected JSON) gives an empty list.
QList<OpenTarget> read(const QString &localStatePath);

// The same from the file's content.
QList<OpenTarget> fromLocalState(const QByteArray &json);

// The target for the profile in folder `directory`, whose info_cache entry is `entry`.
OpenTarget targetFor(const QString &directory, const QJsonValue &entry);

// By label in the user's locale, ignoring letter case.
void sortByLabel(QList<OpenTarget> &targets);

} // namespace ChromeProfiles
