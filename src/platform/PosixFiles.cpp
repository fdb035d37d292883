#include "PosixFiles.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool PosixFiles::isExecutableFile(const QByteArray &nativePath)
{
    struct stat info;
    return ::stat(nativePath.constData(), &info) == 0 && S_ISREG(info.st_mode)
        && ::access(nativePath.constData(), X_OK) == 0;
}

bool PosixFiles::isExecutableFile(const QString &path) { return isExecutableFile(QFile::encodeName(path)); }

std::optional<QByteArray> PosixFiles::readSmallFile(const QString &path, qint64 cap)
{
    // A C path ends at the first NUL: it would name another file.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return std::nullopt;
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    // Checked before opening: opening a device or a pipe can block or have effects of its own.
    if (::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > cap)
        return std::nullopt;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // The path may have been replaced between the two looks.
    std::optional<QByteArray> content;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        QByteArray data;
        char buffer[16384];
        bool failed = false;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                data.append(buffer, n);
                if (data.size() > cap) {
                    failed = true;
                    break;
                }
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                failed = true;
                break;
            }
        }
        if (!failed)
            content = std::move(data);
    }
    ::close(fd);
    return content;
}

bool PosixFiles::openPipe(int (&fds)[2], PipeMode mode)
{
    int ends[2];
    const bool nonBlocking = mode == PipeMode::nonBlocking;
#if defined(__linux__)
    if (::pipe2(ends, O_CLOEXEC | (nonBlocking ? O_NONBLOCK : 0)) != 0)
        return false;
#else
    if (::pipe(ends) != 0)
        return false;
    for (int fd : ends) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        if (nonBlocking)
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
#endif
    fds[0] = ends[0];
    fds[1] = ends[1];
    return true;
}
