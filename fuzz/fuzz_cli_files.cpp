// The CLI's folder as other programs may leave it, read before the CLI answers: whatever the
// files hold, the reader lists only orgs whose own auth file names them, each named by an alias
// that reaches it, and it never stops on a file.
#include "CLIFiles.h"
#include "FuzzSupport.h"

#include <QDir>
#include <QRegularExpression>

// The input is a folder: file name, NUL, content, NUL, and so on.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir home;
    QDir sfdx(home.filePath(u".sfdx"_s));
    sfdx.removeRecursively();
    fuzz::check(QDir(home.path()).mkpath(u".sfdx"_s), "a folder can be made");
    const QList<QByteArray> parts = fuzz::bytes(data, size).split('\0');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QFile file(sfdx.filePath(QFile::decodeName(parts[i])));
        if (!parts[i].contains('/') && file.open(QIODevice::WriteOnly)) // a name the system refuses is no file
            file.write(parts[i + 1]);
    }
    const auto listing = CLIFiles::read(home.path(), {}, QDate(2026, 12, 7));
    static const QRegularExpression authFile(uR"(^[^.][^@]*@[^.]+(\.[^.\s]+)+$)"_s);
    for (const CLIOrg &org : listing ? listing->orgs : QList<CLIOrg>()) {
        fuzz::check(authFile.match(org.username).hasMatch() && sfdx.exists(org.username + ".json"_L1), "an org has its own auth file", org.username);
        fuzz::check(org.isDefaultUsername.has_value() && !org.category.isEmpty(), "an org is placed and its default told", org.username);
        if (org.alias)
            fuzz::check(listing->aliases.resolve(*org.alias) == org.username, "its alias reaches it", *org.alias);
    }
    return 0;
}
