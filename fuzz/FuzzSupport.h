#pragma once

// What the fuzz targets share: a broken property stops the run with a message (libFuzzer keeps
// the input), the input without a copy, a scratch file, and the order in which the app lists names.

#include <QByteArray>
#include <QCollator>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace fuzz {

inline void check(bool holds, const char *property, const QString &detail = {})
{
    if (!holds)
        qFatal("PROPERTY BROKEN: %s\n  %s", property, qUtf8Printable(detail)); // aborts
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

// Writes the file `name` (in the file system's encoding) in a folder of the run's own; its path.
inline QByteArray scratchFile(const QByteArray &name, const QByteArray &content)
{
    static const QTemporaryDir dir;
    static const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const QByteArray path = folder + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    check(fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size(),
          "a scratch file can be written", QFile::decodeName(path));
    ::close(fd);
    return path;
}

// Makes the default locale C, where names compare plainly, or English, where they are collated,
// by the input's size, so that both are fuzzed.
inline void pickLocale(size_t inputSize) { QLocale::setDefault(inputSize % 2 ? QLocale(u"en_US"_s) : QLocale::c()); }

// The order of two names as the app lists them in the default locale: case folded.
inline int compareNames(const QString &a, const QString &b)
{
    static QCollator english = [] {
        QCollator collator(QLocale(u"en_US"_s));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        return collator;
    }();
    return QLocale().language() == QLocale::C ? a.compare(b, Qt::CaseInsensitive) : english.compare(a, b);
}

} // namespace fuzz
