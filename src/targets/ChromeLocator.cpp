#include "ChromeLocator.h"

#include "PosixFiles.h"

#include <QDir>

std::optional<QString> ChromeLocator::find(const QStringList &candidates)
{
    for (const QString &candidate : candidates)
        if (QDir::isAbsolutePath(candidate) && PosixFiles::isExecutableFile(candidate))
            return candidate;
    return std::nullopt;
}
