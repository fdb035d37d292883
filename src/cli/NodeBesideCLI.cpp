// The CLI installed with npm (the layout Node version managers make) is a link to a script that
// starts with `#!/usr/bin/env node`. The child's PATH puts the system's folders first, and with
// them perhaps an older Node, so the folder that holds the CLI's own Node goes in front.
#include "PosixFiles.h"
#include "SFCLI.h"

#include <QFile>

#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isScript(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char start[2] = {};
    const bool script = ::read(fd, start, 2) == 2 && start[0] == '#' && start[1] == '!';
    ::close(fd);
    return script;
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? "."_ba : slash == 0 ? "/"_ba : path.first(slash);
}

// The file env runs: the first executable `name` on the search path, an empty entry being the
// working folder, as execvp reads it.
QByteArray onSearchPath(const QByteArray &name, const QByteArray &searchPath)
{
    for (const QByteArray &folder : searchPath.split(':')) {
        const QByteArray candidate = (folder.isEmpty() ? "."_ba : folder) + '/' + name;
        if (PosixFiles::isExecutableFile(candidate))
            return candidate;
    }
    return {};
}

// The first folder along the chain of links from `program` (its own folder, then each target's)
// that holds an executable `node`. A plain file counts only when it is a script: a native `sf`
// beside a `node` has no use for it.
QByteArray nodeFolder(QByteArray program)
{
    for (int hop = 0; hop < 40; ++hop) { // a loop of links ends, as the kernel ends it
        struct stat info;
        if (::lstat(program.constData(), &info) != 0)
            return {};
        const bool link = S_ISLNK(info.st_mode);
        const QByteArray folder = folderOf(program);
        if (PosixFiles::isExecutableFile(folder + "/node"_ba))
            return hop > 0 || link || isScript(program) ? folder : QByteArray();
        if (!link)
            return {};
        char target[PATH_MAX];
        const ssize_t size = ::readlink(program.constData(), target, sizeof target);
        if (size <= 0 || size == sizeof target)
            return {};
        const QByteArray next(target, size);
        program = next.startsWith('/') ? next : folder + '/' + next;
    }
    return {};
}

} // namespace

QByteArrayList SFCLI::childEnvironment(const QByteArrayList &parentEnvironment,
                                       const Location &location)
{
    QByteArrayList environment = childEnvironment(parentEnvironment);
    for (QByteArray &entry : environment) {
        if (!entry.startsWith("PATH="))
            continue;
        const QByteArray path = entry.sliced(5);
        const bool throughEnv
            = location.executableURL == "/usr/bin/env"_L1 && !location.baseArguments.isEmpty();
        const QByteArray program = throughEnv
            ? onSearchPath(QFile::encodeName(location.baseArguments.first()), path)
            : QFile::encodeName(location.executableURL);
        const QByteArray folder = program.isEmpty() ? QByteArray() : nodeFolder(program);
        if (!folder.isEmpty())
            entry = "PATH="_ba + folder + ':' + path;
        break;
    }
    return environment;
}
