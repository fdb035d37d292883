#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One profile as Chrome's "Local State" lists it under profile.info_cache.
struct ChromeProfile
{
    QString directory; // the folder name, never empty
    QString name; // what Chrome shows; the folder name when the entry has no usable name

    friend bool operator==(const ChromeProfile &, const ChromeProfile &) = default;
};

namespace ChromeProfiles {

// Larger files are not read: Chrome's own stays far smaller, and reading a huge one would only
// exhaust memory.
constexpr qint64 kMaxLocalStateBytes = 64 * 1024 * 1024;

// The profiles in the file's order. An entry with an empty folder name is left out: it names no
// profile of its own, and Chrome writes none. Any problem with the file (missing, unreadable, not
// a regular file, too large, not the expected JSON) gives an empty list.
QList<ChromeProfile> read(const QString &localStatePath);

// The same from the file's content.
QList<ChromeProfile> fromLocalState(const QByteArray &json);

} // namespace ChromeProfiles
