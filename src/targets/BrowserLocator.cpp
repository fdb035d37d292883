#include "BrowserLocator.h"

#include "PosixFiles.h"

#include <QDir>
#include <QStandardPaths>

std::optional<QString> BrowserLocator::find(const QStringList &candidates)
{
    for (const QString &candidate : candidates) {
        const QString path = candidate.contains(u'/') ? candidate : QStandardPaths::findExecutable(candidate);
        if (QDir::isAbsolutePath(path) && PosixFiles::isExecutableFile(path))
            return path;
    }
    return std::nullopt;
}
