#include "ChromeLocator.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

bool ChromeLocator::isExecutableFile(const QString &path)
{
    if (!QDir::isAbsolutePath(path))
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    return ::stat(native.constData(), &info) == 0 && S_ISREG(info.st_mode)
        && ::access(native.constData(), X_OK) == 0;
}

std::optional<QString> ChromeLocator::find(const QStringList &candidates)
{
    for (const QString &candidate : candidates)
        if (isExecutableFile(candidate))
            return candidate;
    return std::nullopt;
}
