#pragma once

#include <QByteArrayList>

#include <optional>

// The application object. Constructing it runs the self-test when "--self-test" is among the
// arguments (before any GUI object exists, so no display is needed), or prints the help or the
// version, the org list or a completion script; exec() then returns the status. Otherwise exec()
// opens the one main window and runs until the user quits, or serves the desktop's search. Other
// arguments are ignored.
class BrightcairnApp
{
public:
    BrightcairnApp(int &argc, char **argv);

    int exec();

    // "--self-test" as a whole argument, anywhere in the list (the program path included).
    static bool wantsSelfTest(int argc, const char *const *argv);
    // Whether a window can be shown at all, judged from the environment before Qt tries (and
    // aborts the process when it cannot).
    static bool displayAvailable(const QByteArrayList &environment);

private:
    int &m_argc;
    char **m_argv;
    std::optional<int> m_finishedStatus; // set when no module is wanted
    enum class Module { window, searchProvider };
    Module m_module = Module::window;
};
