#include "SecretFile.h"

#include <QCoreApplication>

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void fail(const QString &path, int error)
{
    throw FileWriteError(QCoreApplication::translate("SecretFile", "Could not write %1: %2.")
                             .arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

} // namespace

void SecretFile::write(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        fail(path, EISDIR);
    // mkstemp creates the file with mode 0600: the secret is never readable by others, not even
    // for the moment between creating and filling the file. A short name: the destination's own
    // may already be as long as the file system allows.
    QByteArray temporary = QFile::encodeName(info.absolutePath() + "/.tarnwick-XXXXXX"_L1);
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        fail(path, errno);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);

    auto abandon = [&](int error) {
        ::close(fd);
        ::unlink(temporary.constData());
        fail(path, error);
    };
    // Even where mkstemp honoured an unusual umask, the file ends up owner-only.
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0)
        abandon(errno);
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            abandon(errno);
        }
        p += n;
        left -= n;
    }
    if (::fsync(fd) != 0)
        abandon(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        fail(path, error);
    }
    if (::rename(temporary.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        fail(path, error);
    }
}
