// The alias proposed for an imported auth file, from its name and, for a generic name, from the
// org's host inside it; the input is the name, a newline, then the content. Whatever both hold,
// the alias is usable: not empty, only A-Z a-z 0-9 _ . -, and none of "_.-" at either end (so it
// never passes for an option).
#include "FuzzSupport.h"
#include "SFCLI.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QRegularExpression usable(u"^[A-Za-z0-9]([A-Za-z0-9_.-]*[A-Za-z0-9])?$"_s);
    const auto checkAlias = [](const QString &path) {
        const QString alias = SFCLI::aliasForImport(path);
        fuzz::check(usable.match(alias).hasMatch(), "the alias is usable", alias + u' ' + path);
    };
    const QByteArray input = fuzz::bytes(data, size);
    const qsizetype newline = input.indexOf('\n');
    const QByteArray name = newline < 0 ? input : input.first(newline);
    // A name the file system takes: at most 255 bytes, no "/" or NUL, not "." or "..".
    QByteArray stored = name.left(255).replace('/', '_').replace('\0', '_');
    if (stored.isEmpty() || stored == "." || stored == "..")
        stored.prepend('_');
    const QByteArray path = fuzz::scratchFile(stored, newline < 0 ? QByteArray() : input.sliced(newline + 1));
    checkAlias(QFile::decodeName(path));
    ::unlink(path.constData());

    // The name as given, which may hold "/", NUL or "..": whatever it names, or nothing.
    checkAlias(QFile::decodeName(path.chopped(stored.size())) + QString::fromUtf8(name));
    return 0;
}
