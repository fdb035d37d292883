#include "CLIWatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

#if defined(__APPLE__)
#define TARNWICK_MTIME st_mtimespec
#define TARNWICK_CTIME st_ctimespec
#else
#define TARNWICK_MTIME st_mtim
#define TARNWICK_CTIME st_ctim
#endif

CLIWatcher::CLIWatcher(QString home, QObject *parent)
    : QObject(parent)
    , m_home(std::move(home))
    , m_sfdx(m_home + "/.sfdx"_L1)
    , m_sf(m_home + "/.sf"_L1)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettle);
    m_grace.setSingleShot(true);
    m_grace.setInterval(kOwnGrace);
    // Each notice restarts the wait: a login writes several files, and one reload follows.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    connect(&m_settle, &QTimer::timeout, this, &CLIWatcher::settled);
    connect(&m_grace, &QTimer::timeout, this, &CLIWatcher::graceEnded);
    watch();
    m_baseline = fingerprint();
}

void CLIWatcher::setOwnCommands(Own own)
{
    const Own was = std::exchange(m_own, own);
    // Another program may have written while the action did: a file added or removed, the
    // aliases or the config changed lead to a quiet reload; the rewrites of auth files that every
    // command makes (new tokens) are taken as the action's.
    if (was == Own::acting && own != Own::acting) {
        const Fingerprint now = fingerprint();
        if (now.shape != m_baseline.shape) {
            m_pending = true;
            m_settle.start();
        } else {
            m_baseline = now;
        }
    }
    if (own == Own::none && was != Own::none)
        m_grace.start();
    else if (own != Own::none)
        m_grace.stop();
}

void CLIWatcher::settled()
{
    watch(); // a file replaced or a folder made since is watched from now on
    if (m_own == Own::acting || (m_grace.isActive() && !m_pending))
        return;
    const Fingerprint now = fingerprint();
    if (!m_pending && (m_own == Own::checking ? now.shape == m_baseline.shape : now.whole == m_baseline.whole))
        return;
    m_pending = false;
    m_baseline = now;
    Q_EMIT changed();
}

// The check's rewrites are taken as they are now; anything else that changed is another's.
void CLIWatcher::graceEnded()
{
    watch();
    const Fingerprint now = fingerprint();
    const bool changedBeside = now.shape != m_baseline.shape;
    m_baseline = now;
    if (changedBeside)
        Q_EMIT changed();
}

// The folders, and each file on its own, since the CLI rewrites files in place, which a folder's
// notice does not report. The home folder too: it alone tells when a folder is made, removed,
// renamed away, or (a link) pointed elsewhere; everything is then watched anew.
void CLIWatcher::watch()
{
    QSet<QString> wanted{m_home};
    QStringList targets;
    for (const QString &folder : {m_sfdx, m_sf}) {
        const QFileInfo info(folder);
        targets << info.canonicalFilePath();
        if (info.isDir())
            wanted.insert(folder);
    }
    if (std::exchange(m_folderTargets, targets) != targets) {
        if (const QStringList all = m_watcher.files() + m_watcher.directories(); !all.isEmpty())
            m_watcher.removePaths(all);
    }
    for (const QString &name : QDir(m_sfdx).entryList({u"*.json"_s}, QDir::Files | QDir::Hidden))
        wanted.insert(m_sfdx + u'/' + name);
    if (QFileInfo(m_sf + "/config.json"_L1).isFile())
        wanted.insert(m_sf + "/config.json"_L1);
    QStringList gone;
    QSet<QString> watched;
    for (const QString &path : m_watcher.files() + m_watcher.directories()) {
        watched.insert(path);
        if (!wanted.contains(path))
            gone.append(path);
    }
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    QStringList added;
    for (const QString &path : std::as_const(wanted)) {
        if (!watched.contains(path))
            added.append(path);
    }
    // The folders, the aliases and the config first: the system may allow fewer watches than a
    // few thousand auth files need (a file past that is still seen when it is added or removed).
    std::stable_partition(added.begin(), added.end(), [](const QString &path) { return !path.section(u'/', -1).contains(u'@'); });
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

CLIWatcher::Fingerprint CLIWatcher::fingerprint() const
{
    QStringList paths;
    for (const QString &name : QDir(m_sfdx).entryList({u"*.json"_s}, QDir::Files | QDir::Hidden, QDir::Name))
        paths.append(m_sfdx + u'/' + name);
    paths.append(m_sf + "/config.json"_L1);
    Fingerprint out;
    for (const QString &folder : {m_sfdx, m_sf}) // a link pointed elsewhere
        out.shape += QFile::encodeName(QFileInfo(folder).canonicalFilePath()) + '\n';
    out.whole = out.shape;
    for (const QString &path : std::as_const(paths)) {
        const QByteArray name = QFile::encodeName(path);
        struct stat info;
        if (::stat(name.constData(), &info) != 0)
            continue;
        QByteArray times;
        for (const long long field : {(long long)info.st_size, (long long)info.TARNWICK_MTIME.tv_sec,
                                      (long long)info.TARNWICK_MTIME.tv_nsec, (long long)info.TARNWICK_CTIME.tv_sec,
                                      (long long)info.TARNWICK_CTIME.tv_nsec})
            times += ' ' + QByteArray::number(field);
        const QByteArray shape = name + '\0' + QByteArray::number((long long)info.st_ino);
        const bool authFile = path.section(u'/', -1).contains(u'@'); // <username>.json
        out.shape += shape + (authFile ? QByteArray() : times) + '\n';
        out.whole += shape + times + '\n';
    }
    return out;
}
