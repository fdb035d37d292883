#pragma once

#include "AppError.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

// One way a browser of Chrome's family may be installed: its program (an absolute path, or a
// command name looked up on PATH) and the Local State file that lists its profiles.
struct ChromiumInstall
{
    QString program;
    QString localStatePath;
};

// A browser of Chrome's family besides Chrome: its targets are "<key>-default" and
// "<key>-<folder>", labelled "<name> default" and "<name> - <profile>".
struct ChromiumBrowser
{
    QString key;
    QString name;
    QList<ChromiumInstall> installs; // tried in order; the first whose program is there counts
};

// Where the browsers and their profiles live on this machine, how the system browser is reached
// and how a browser is started. The app uses system(); tests build one around a temporary folder.
struct BrowserLocations
{
    QStringList chromeCandidates; // absolute paths, tried in order
    QString localStatePath;
    QList<ChromiumBrowser> chromiums; // offered after Chrome, in this order
    std::function<void(const QUrl &)> openInSystemBrowser = openWithDesktopServices;
    // The install of `browser` that is there, with its program's absolute path; checked anew on
    // every call, since a browser may come or go while the app runs.
    static std::optional<ChromiumInstall> installed(const ChromiumBrowser &browser);

    // Starts the program without waiting for it; throws ChromeLaunchError when it cannot start.
    std::function<void(const QString &program, const QStringList &arguments)> launchDetached
        = startDetached;

    // The real machine, worked out once; shared, so that a job still running at exit keeps it.
    static std::shared_ptr<const BrowserLocations> system();

    // The platform's layout for a user whose home folder is `home`. `xdgConfigHome` is the value
    // of XDG_CONFIG_HOME, honoured where the platform uses it.
    static BrowserLocations forHome(const QString &home, const QString &xdgConfigHome = {});

    static void openWithDesktopServices(const QUrl &url);
    static void startDetached(const QString &program, const QStringList &arguments);
};

// Chrome's executable was found but could not be started; carries the system's reason as is.
class ChromeLaunchError : public DescribedError
{
public:
    explicit ChromeLaunchError(const QString &reason);
};
