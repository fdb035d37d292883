// Firefox's profiles.ini, read for its profiles. Whatever it holds, reading it never throws, the
// file gives what its content gives, and every profile has a name of its own and an absolute
// folder, and becomes a target "firefox-<name>" (never Firefox default's) labelled "Firefox - ...".
#include "FuzzSupport.h"
#include "OpenTarget.h"

#include <QDir>
#include <QHash>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray ini = fuzz::bytes(data, size);
    try {
        const QByteArray path = fuzz::scratchFile("profiles.ini", ini);
        const QList<FirefoxProfile> profiles = FirefoxProfiles::fromIni(ini, QFileInfo(QFile::decodeName(path)).path());
        fuzz::check(FirefoxProfiles::read(QFile::decodeName(path)) == profiles, "the file gives what its content gives");
        QHash<QString, bool> names;
        for (const FirefoxProfile &profile : profiles)
            fuzz::check(!profile.name.isEmpty() && !std::exchange(names[profile.name], true) && QDir::isAbsolutePath(profile.path)
                            && QDir::cleanPath(profile.path) == profile.path,
                        "a profile has a name of its own and an absolute, clean folder", profile.name + u' ' + profile.path);
        for (const OpenTarget &target : OpenTarget::forFirefoxProfiles(profiles))
            fuzz::check(target.id != "firefox-default"_L1 && target.browser == "firefox"_L1
                            && target.id == "firefox-"_L1 + target.label.mid(10) && target.label.startsWith("Firefox - "_L1),
                        "a profile is firefox-<name>, not Firefox default, labelled Firefox - ...", target.id);
    } catch (...) {
        fuzz::check(false, "reading profiles.ini never throws");
    }
    return 0;
}
