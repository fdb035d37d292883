#include "FirefoxProfiles.h"

#include "PosixFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

QList<FirefoxProfile> FirefoxProfiles::read(const QString &profilesIniPath)
{
    const std::optional<QByteArray> bytes = PosixFiles::readSmallFile(profilesIniPath, kMaxProfilesIniBytes);
    return bytes ? fromIni(*bytes, QFileInfo(profilesIniPath).path()) : QList<FirefoxProfile>();
}

QList<FirefoxProfile> FirefoxProfiles::fromIni(const QByteArray &ini, const QString &folder)
{
    QList<FirefoxProfile> profiles;
    QSet<QString> names;
    struct Section
    {
        bool isProfile = false;
        QString name, path;
        bool relative = true;
    } section;
    const auto finish = [&] {
        if (!section.isProfile || section.name.isEmpty() || section.path.isEmpty() || names.contains(section.name))
            return;
        const QString path = QDir::cleanPath(section.relative ? folder + u'/' + section.path : section.path);
        if (!QDir::isAbsolutePath(path))
            return;
        names.insert(section.name);
        profiles.append({section.name, path});
    };
    for (const QByteArray &raw : ini.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            finish();
            section = {line.startsWith("[Profile"_L1), {}, {}, true};
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        const QString key = line.first(equals).trimmed(), value = line.sliced(equals + 1).trimmed();
        if (key == "Name"_L1)
            section.name = value;
        else if (key == "Path"_L1)
            section.path = value;
        else if (key == "IsRelative"_L1)
            section.relative = value != "0"_L1;
    }
    finish();
    return profiles;
}
