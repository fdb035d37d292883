#include "BrightcairnApp.h"

#include "AppName.h"
#include "MainWindow.h"
#include "SFCLI.h"
#include "SelfTest.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kNoDisplay[] = "tarnwick: cannot open a window: no usable display. Set DISPLAY or "
                              "WAYLAND_DISPLAY, or run 'tarnwick --self-test'.\n";

QtMessageHandler previousHandler = nullptr;

// Only while the platform plugin starts: Qt aborts when it cannot reach a display; a user gets
// one clear line and exit status 1 instead of a core dump and a page of plugin diagnostics.
void startupMessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::_Exit(1);
    }
    if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0)
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

QByteArray environmentValue(const QByteArrayList &environment, QByteArrayView name)
{
    for (const QByteArray &entry : environment) {
        if (entry.size() > name.size() && entry.startsWith(name) && entry.at(name.size()) == '=')
            return entry.sliced(name.size() + 1);
    }
    return {};
}

} // namespace

BrightcairnApp::BrightcairnApp(int &argc, char **argv)
    : m_argc(argc)
    , m_argv(argv)
{
    if (wantsSelfTest(argc, argv))
        m_selfTestStatus = SelfTest::run();
}

bool BrightcairnApp::wantsSelfTest(int argc, const char *const *argv)
{
    for (int i = 0; i < argc; ++i) {
        if (argv[i] && std::strcmp(argv[i], "--self-test") == 0)
            return true;
    }
    return false;
}

bool BrightcairnApp::displayAvailable(const QByteArrayList &environment)
{
#if defined(__APPLE__)
    Q_UNUSED(environment);
    return true;
#else
    const bool x11 = !environmentValue(environment, "DISPLAY").isEmpty();
    const bool wayland = !environmentValue(environment, "WAYLAND_DISPLAY").isEmpty();
    const QByteArray platform = environmentValue(environment, "QT_QPA_PLATFORM");
    if (platform.startsWith("xcb"))
        return x11;
    if (platform.startsWith("wayland"))
        return wayland;
    if (!platform.isEmpty()) // offscreen, vnc, eglfs...: the user chose a platform on purpose
        return true;
    return x11 || wayland;
#endif
}

int BrightcairnApp::exec()
{
    if (m_selfTestStatus)
        return *m_selfTestStatus;

    if (!displayAvailable(SFCLI::processEnvironment())) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }

    previousHandler = qInstallMessageHandler(startupMessageHandler);
    QApplication application(m_argc, m_argv);
    qInstallMessageHandler(previousHandler);
    QApplication::setApplicationName(appName);
    QApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));

    MainWindow window;
    window.show();
    return QApplication::exec();
}
