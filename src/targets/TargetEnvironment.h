#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

// What the targets take from the machine: where Chrome and its "Local State" may be, how the
// system browser is reached and how a program is started. The app uses system(); tests build one
// around a temporary folder.
struct TargetEnvironment
{
    QStringList chromeCandidates; // absolute paths, tried in order
    QString localStatePath;
    std::function<void(const QUrl &)> openInSystemBrowser = openWithDesktopServices;
    // Starts the program without waiting for it; throws ChromeLaunchError when it cannot start.
    std::function<void(const QString &program, const QStringList &arguments)> launchDetached
        = startDetached;

    // The real machine, worked out once.
    static const TargetEnvironment &system();

    // The platform's layout for a user whose home folder is `home`. `xdgConfigHome` is the value
    // of XDG_CONFIG_HOME, honoured where the platform uses it.
    static TargetEnvironment forHome(const QString &home, const QString &xdgConfigHome = {});

    static void openWithDesktopServices(const QUrl &url);
    static void startDetached(const QString &program, const QStringList &arguments);
};
