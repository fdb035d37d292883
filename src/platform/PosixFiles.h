#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Files and descriptors at the level of the system's own calls, where Qt's view would leave a gap
// (a file swapped between a check and an open, a descriptor a child inherits).
namespace PosixFiles {

// A regular file (after following links) that the current user may execute. A relative path is
// taken from the working folder.
bool isExecutableFile(const QByteArray &nativePath);
bool isExecutableFile(const QString &path);

// The whole file when it is a regular file of at most `cap` bytes that can be read; nothing
// otherwise. Never blocks on a named pipe or a device and never reads more than `cap` bytes, even
// from a file that grows or is replaced meanwhile.
std::optional<QByteArray> readSmallFile(const QString &path, qint64 cap);

// A pipe whose ends are both close-on-exec, so that a child started meanwhile by another thread
// inherits neither; both ends blocking or not, as `mode` says. `fds` is set only on success.
enum class PipeMode { blocking, nonBlocking };
bool openPipe(int (&fds)[2], PipeMode mode = PipeMode::blocking);

} // namespace PosixFiles
