#pragma once

// What the fuzz targets share: a failed invariant aborts with a message (libFuzzer keeps the
// input), and a scratch folder of the run's own.

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace fuzz {

inline void check(bool holds, const char *invariant, const QString &detail = QString())
{
    if (holds)
        return;
    std::fprintf(stderr, "INVARIANT FAILED: %s\n  %s\n", invariant, detail.toUtf8().constData());
    std::abort();
}

// The input without a copy, and the locale of this run: the C locale compares plainly, any other
// collates, so both ways of sorting are exercised.
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    QLocale::setDefault(size % 2 == 0 ? QLocale::c() : QLocale(QLocale::English, QLocale::UnitedStates));
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// Writes `content` to `name` (bytes as the file system takes them) in the run's scratch folder,
// and returns the file's path in those bytes.
inline QByteArray scratchFile(const QByteArray &name, const QByteArray &content)
{
    static QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    check(fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size(),
          "a scratch file can be written", QFile::decodeName(path));
    ::close(fd);
    return path;
}

} // namespace fuzz
