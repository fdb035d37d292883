#pragma once

// What the fuzz targets share: a failed invariant stops the run with a message, and libFuzzer
// keeps the input that caused it.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace fuzz {

[[noreturn]] inline void fail(const char *invariant, const QString &detail = QString())
{
    std::fprintf(stderr, "INVARIANT FAILED: %s\n", invariant);
    if (!detail.isEmpty())
        std::fprintf(stderr, "  %s\n", detail.toUtf8().constData());
    std::abort();
}

inline void check(bool holds, const char *invariant, const QString &detail = QString())
{
    if (!holds)
        fail(invariant, detail);
}

// The input without a copy; it lives for the duration of one run.
inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

// A folder of the run's own, in the file system's encoding.
inline const QByteArray &scratchFolder()
{
    static QTemporaryDir dir;
    static const QByteArray native = QFile::encodeName(dir.path());
    if (!dir.isValid())
        fail("a temporary folder can be made", dir.errorString());
    return native;
}

inline void writeFile(const QByteArray &nativePath, const QByteArray &content)
{
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    check(fd >= 0, "a scratch file can be written");
    for (qsizetype done = 0; done < content.size();) {
        const ssize_t n = ::write(fd, content.constData() + done, static_cast<size_t>(content.size() - done));
        check(n > 0, "a scratch file can be written");
        done += n;
    }
    ::close(fd);
}

} // namespace fuzz
