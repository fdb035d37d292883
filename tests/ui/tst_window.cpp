// The main window, and the module that carries it.
#include "MainWindow.h"

#include <QAction>
#include <QDir>
#include <QTest>

#include <dlfcn.h>

using namespace Qt::Literals::StringLiterals;

class TestWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mainWindow()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), u"Tarnwick"_s);
        QCOMPARE(window.centralWidget()->minimumSize(), QSize(980, 720));
        // Nothing in the window opens another window.
        for (QAction *action : window.findChildren<QAction *>())
            QVERIFY2(action->shortcut() != QKeySequence::New, qPrintable(action->text()));
        const QString dir = qEnvironmentVariable("TARNWICK_SCREENSHOTS");
        if (!dir.isEmpty() && QDir().mkpath(dir))
            window.grab().save(dir + "/placeholder-window.png"_L1);
    }

    // Every symbol of the module resolves, and it has its entry point.
    void moduleLoads()
    {
        void *module = ::dlopen(TARNWICK_WINDOW_MODULE, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(module, ::dlerror());
        QVERIFY(::dlsym(module, "tarnwick_run_window"));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
