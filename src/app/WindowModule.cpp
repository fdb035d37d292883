#include "WindowModule.h"

#include "AppName.h"
#include "BrowserLocations.h"
#include "MainWindow.h"
#include "OrgStore.h"
#include "PosixFiles.h"
#include "SFCLI.h"
#include "TargetMemory.h"
#include "Translations.h"

#include <QApplication>
#include <QByteArrayView>
#include <QDir>
#include <QLocale>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <memory>

#include <unistd.h>

namespace {

QtMessageHandler previousHandler = nullptr;

// Only while the platform plugin starts: Qt aborts when it cannot reach a display; a user gets
// one clear line and exit status 1 instead of a core dump and a page of plugin diagnostics.
void startupMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fputs(WindowModule::kNoDisplay, stderr);
        std::_Exit(1);
    }
    if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

// SIGTERM, SIGINT and SIGHUP end the app as a quit does, without the question, so that the CLI
// commands it started are ended too instead of being left to run on. The handler only writes to a
// pipe; the event loop does the rest.
int quitSignalPipe[2] = {-1, -1};

void onQuitSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(quitSignalPipe[1], &byte, 1);
    errno = saved;
}

bool catchQuitSignals()
{
    if (!PosixFiles::openPipe(quitSignalPipe, PosixFiles::PipeMode::nonBlocking))
        return false;
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(s, &action, nullptr);
    return true;
}

// "--filter TEXT" or "--filter=TEXT" (a desktop's search hands its terms on so); the last one counts.
QString filterText(int argc, char **argv)
{
    QString text;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "--")
            break;
        if (argument == "--filter" && i + 1 < argc)
            text = QString::fromLocal8Bit(argv[++i]);
        else if (argument.startsWith("--filter="))
            text = QString::fromLocal8Bit(argument.sliced(9));
    }
    return text;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int tarnwick_run_window(int *argc, char **argv)
{
    previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication application(*argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(appName);
    QApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));
    Translations::use(QLocale::system().uiLanguages());

    // The composition root: the CLI, the browsers and the store, handed to the window.
    const std::shared_ptr<const BrowserLocations> browsers = BrowserLocations::system();
    auto *store = new OrgStore(SFCLI::shared(), browsers);
    store->setTargetMemory(std::make_shared<TargetMemory>());
    store->followCLI(QDir::homePath()); // where the CLI keeps its files
    MainWindow window(store, browsers);
    if (const QString filter = filterText(*argc, argv); !filter.isEmpty())
        store->setSearch(filter);
    std::unique_ptr<QSocketNotifier> quitSignals;
    if (catchQuitSignals()) {
        quitSignals = std::make_unique<QSocketNotifier>(quitSignalPipe[0], QSocketNotifier::Read);
        QObject::connect(quitSignals.get(), &QSocketNotifier::activated, &window,
                         &MainWindow::quitWithoutAsking);
    }
    window.show();
    const int status = QApplication::exec();
    window.finishJobs();
    return status;
}
