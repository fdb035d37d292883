#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One profile as Firefox's profiles.ini lists it.
struct FirefoxProfile
{
    QString name; // never empty
    QString path; // absolute and clean

    friend bool operator==(const FirefoxProfile &, const FirefoxProfile &) = default;
};

namespace FirefoxProfiles {

// Larger files are not read: Firefox's own holds a few lines per profile.
constexpr qint64 kMaxProfilesIniBytes = 1024 * 1024;

// The profiles in the file's order. A [Profile...] section needs a Name and a Path (relative to
// the file's folder unless IsRelative=0, then absolute); a section without them, or with a name
// met before, is left out. Any problem with the file (missing, unreadable, not a regular file,
// too large) gives an empty list.
QList<FirefoxProfile> read(const QString &profilesIniPath);

// The same from the file's content and the folder it is in.
QList<FirefoxProfile> fromIni(const QByteArray &ini, const QString &folder);

} // namespace FirefoxProfiles
