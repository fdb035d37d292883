#include "BrowserLocator.h"

#include "PosixFiles.h"

#include <QDir>

std::optional<QString> BrowserLocator::find(const QStringList &candidates)
{
    for (const QString &candidate : candidates)
        if (QDir::isAbsolutePath(candidate) && PosixFiles::isExecutableFile(candidate))
            return candidate;
    return std::nullopt;
}
