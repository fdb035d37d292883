#include "WindowModule.h"

#include "AppName.h"
#include "MainWindow.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

} // namespace

extern "C" __attribute__((visibility("default"))) int tarnwick_run_window(int *argc, char **argv)
{
    previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication application(*argc, argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(appName);
    QApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));

    MainWindow window;
    window.show();
    return QApplication::exec();
}
