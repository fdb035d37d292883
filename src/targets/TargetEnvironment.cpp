#include "TargetEnvironment.h"

#include "OpenTarget.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

const TargetEnvironment &TargetEnvironment::system()
{
    static const TargetEnvironment environment
        = forHome(QDir::homePath(), qEnvironmentVariable("XDG_CONFIG_HOME"));
    return environment;
}

TargetEnvironment TargetEnvironment::forHome(const QString &home, const QString &xdgConfigHome)
{
    TargetEnvironment environment;
#if defined(Q_OS_MACOS)
    Q_UNUSED(xdgConfigHome);
    const QString bundled = u"/Applications/Google Chrome.app/Contents/MacOS/Google Chrome"_s;
    environment.chromeCandidates = {bundled, home + bundled};
    environment.localStatePath = home + "/Library/Application Support/Google/Chrome/Local State"_L1;
#else
    environment.chromeCandidates = {u"/opt/google/chrome/chrome"_s,
                                    u"/usr/bin/google-chrome-stable"_s, u"/usr/bin/google-chrome"_s};
    // The XDG rules ignore a relative value.
    const QString config = QDir::isAbsolutePath(xdgConfigHome) ? xdgConfigHome
                                                                : home + "/.config"_L1;
    environment.localStatePath = config + "/google-chrome/Local State"_L1;
#endif
    return environment;
}

void TargetEnvironment::openWithDesktopServices(const QUrl &url)
{
    // Without a GUI application there is no desktop to hand the address to; like a browser that
    // refuses the address, that goes unnoticed.
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app)
        return;
    // The platform's services belong to the GUI thread, and opening runs in background tasks.
    if (QThread::currentThread() == app->thread())
        QDesktopServices::openUrl(url);
    else
        QMetaObject::invokeMethod(app, [url] { QDesktopServices::openUrl(url); },
                                  Qt::QueuedConnection);
}

void TargetEnvironment::startDetached(const QString &program, const QStringList &arguments)
{
    // Qt forks twice and reaps the middle process, so the browser is never our child: nothing
    // waits for it and it cannot linger as a zombie. The exec failure comes back from the child.
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!process.startDetached())
        throw ChromeLaunchError(process.errorString());
}
