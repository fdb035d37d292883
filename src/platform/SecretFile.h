#pragma once

#include "AppError.h"

#include <QByteArray>
#include <QString>

// A file could not be written; the text names the file and the system's reason.
class FileWriteError : public DescribedError
{
public:
    using DescribedError::DescribedError;
};

namespace SecretFile {

// Writes `data` to `path` atomically: into a new file in the same folder that only its owner
// may read and write from the moment it exists, then renamed over `path`. A failure leaves any
// file at `path` as it was and no temporary file behind. Throws FileWriteError.
void write(const QString &path, const QByteArray &data);

} // namespace SecretFile
