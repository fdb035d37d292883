#include "BrowserLocations.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

std::shared_ptr<const BrowserLocations> BrowserLocations::system()
{
    static const std::shared_ptr<const BrowserLocations> locations
        = std::make_shared<const BrowserLocations>(
            forHome(QDir::homePath(), qEnvironmentVariable("XDG_CONFIG_HOME")));
    return locations;
}

BrowserLocations BrowserLocations::forHome(const QString &home, const QString &xdgConfigHome)
{
    BrowserLocations locations;
#if defined(Q_OS_MACOS)
    Q_UNUSED(xdgConfigHome);
    const QString bundled = u"/Applications/Google Chrome.app/Contents/MacOS/Google Chrome"_s;
    locations.chromeCandidates = {bundled, home + bundled};
    locations.localStatePath = home + "/Library/Application Support/Google/Chrome/Local State"_L1;
#else
    locations.chromeCandidates = {u"/opt/google/chrome/chrome"_s,
                                    u"/usr/bin/google-chrome-stable"_s, u"/usr/bin/google-chrome"_s};
    // The XDG rules ignore a relative value.
    const QString config = QDir::isAbsolutePath(xdgConfigHome) ? xdgConfigHome
                                                                : home + "/.config"_L1;
    locations.localStatePath = config + "/google-chrome/Local State"_L1;
#endif
    return locations;
}

void BrowserLocations::openWithDesktopServices(const QUrl &url)
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

void BrowserLocations::startDetached(const QString &program, const QStringList &arguments)
{
    // Qt forks twice and reaps the middle process, so the browser is never our child: nothing
    // waits for it and it cannot linger as a zombie. The exec failure comes back from the child.
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!process.startDetached())
        throw ChromeLaunchError(process.errorString());
}

ChromeLaunchError::ChromeLaunchError(const QString &reason)
    : DescribedError(reason)
{
}
