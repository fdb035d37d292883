// The alias proposed for an imported auth file, from its name and, for a generic name, from the
// org's host inside it. The input is the file name, a newline, then the file's content. Whatever
// both hold, the proposal is a usable alias: never empty, only letters, digits, "_", "." and
// "-", and no "_", "." or "-" at either end (so it can never pass for an option).
#include "FuzzSupport.h"
#include "SFCLI.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

// A name the file system takes: no "/" or NUL, not "." or "..", at most 255 bytes.
QByteArray storableName(QByteArray name)
{
    name.truncate(255);
    name.replace('/', '_');
    name.replace('\0', '_');
    if (name.isEmpty() || name == "." || name == "..")
        name.prepend('_');
    return name;
}

bool isAliasCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_'
        || u == '.' || u == '-';
}

void checkAlias(const QString &alias, const QString &path)
{
    const QString detail = alias + u" from "_s + path;
    fuzz::check(!alias.isEmpty(), "the alias is never empty", detail);
    for (QChar c : alias)
        fuzz::check(isAliasCharacter(c), "the alias holds only A-Z a-z 0-9 _ . -", detail);
    for (QChar edge : {alias.front(), alias.back()})
        fuzz::check(edge != u'_' && edge != u'.' && edge != u'-', "the alias starts and ends with a letter or digit",
                    detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const qsizetype newline = input.indexOf('\n');
    const QByteArray name = newline < 0 ? input : input.first(newline);
    const QByteArray content = newline < 0 ? QByteArray() : input.sliced(newline + 1);

    const QByteArray native = fuzz::scratchFolder() + '/' + storableName(name);
    fuzz::writeFile(native, content);

    const QString path = QFile::decodeName(native);
    checkAlias(SFCLI::aliasForImport(path), path);
    ::unlink(native.constData());

    // The name as given, which may hold "/", NUL or "..": whatever it names, or nothing.
    const QString given = QFile::decodeName(fuzz::scratchFolder()) + u'/' + QString::fromUtf8(name);
    checkAlias(SFCLI::aliasForImport(given), given);
    return 0;
}
