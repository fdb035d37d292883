#pragma once

#include "AppError.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// One way a browser may be installed: its program (an absolute path, or a command name looked up
// on PATH) and the file that lists its profiles (Chrome's family: Local State; Firefox:
// profiles.ini).
struct BrowserInstall
{
    QString program;
    QString profilesFile;
};

// A browser besides Chrome: its targets are "<key>-default" and "<key>-<profile>", labelled
// "<name> default" and "<name> - <profile's name>".
struct BrowserKind
{
    QString key;
    QString name;
    QList<BrowserInstall> installs; // tried in order; the first whose program is there counts
};

// Where the browsers and their profiles live on this machine and how a browser is started. The app uses system(); tests build one around a temporary folder.
struct BrowserLocations
{
    QStringList chromeCandidates; // absolute paths or commands on PATH, tried in order
    QString localStatePath;
    QList<BrowserKind> chromiums; // offered after Chrome, in this order
    BrowserKind firefox; // offered last
    // The install of `browser` that is there, with its program's absolute path; checked anew on
    // every call, since a browser may come or go while the app runs.
    static std::optional<BrowserInstall> installed(const BrowserKind &browser);

    // Starts the program without waiting for it; throws BrowserLaunchError when it cannot start.
    std::function<void(const QString &program, const QStringList &arguments)> launchDetached
        = startDetached;

    // The real machine, worked out once; shared, so that a job still running at exit keeps it.
    static std::shared_ptr<const BrowserLocations> system();

    // The platform's layout for a user whose home folder is `home`. `xdgConfigHome` is the value
    // of XDG_CONFIG_HOME, honoured where the platform uses it.
    static BrowserLocations forHome(const QString &home, const QString &xdgConfigHome = {});

    static void startDetached(const QString &program, const QStringList &arguments);
};

// A browser's program was found but could not be started; carries the system's reason as is.
class BrowserLaunchError : public DescribedError
{
public:
    explicit BrowserLaunchError(const QString &reason);
};
