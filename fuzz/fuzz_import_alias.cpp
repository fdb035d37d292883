// The alias proposed for an imported auth file, from its name and, for a generic name, from the
// org's host inside it. The input is the file name, a newline, then the content. Whatever both
// hold, the proposal is never empty, holds only A-Z a-z 0-9 _ . - and starts and ends with a
// letter or digit (so it can never pass for an option).
#include "FuzzSupport.h"
#include "SFCLI.h"

#include <QFileInfo>
#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzz::bytes(data, size);
    const QByteArray name = input.first(input.contains('\n') ? input.indexOf('\n') : input.size());
    // A name the file system takes: no "/" or NUL, not "." or "..", at most 255 bytes.
    QByteArray storable = QByteArray(name).replace('/', '_').replace('\0', '_').left(255);
    if (storable.isEmpty() || storable == "." || storable == "..")
        storable.prepend('_');
    const QByteArray native = fuzz::scratchFile(storable, input.mid(name.size() + 1));
    const QString path = QFile::decodeName(native);
    // Also the name as given, which may hold "/", NUL or "..": whatever it names, or nothing.
    static const QRegularExpression usable(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z0-9]([A-Za-z0-9_.-]*[A-Za-z0-9])?")));
    for (const QString &file : {path, QString(QFileInfo(path).path() + u'/' + QString::fromUtf8(name))}) {
        const QString alias = SFCLI::aliasForImport(file);
        fuzz::check(usable.match(alias).hasMatch(), "the alias is usable", alias + QStringLiteral(" from ") + file);
    }
    ::unlink(native.constData());
    return 0;
}
