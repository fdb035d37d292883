#include "BrightcairnApp.h"

#include "BrowserLocations.h"
#include "Launchers.h"
#include "OpenCommand.h"
#include "SFCLI.h"
#include "SelfTest.h"
#include "TargetMemory.h"
#include "Translations.h"
#include "WindowModule.h"

#include <QByteArrayView>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QLocale>

#include <cstdio>
#include <cstring>
#include <string>

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>
#if defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray environmentValue(const QByteArrayList &environment, QByteArrayView name)
{
    for (const QByteArray &entry : environment) {
        if (entry.size() > name.size() && entry.startsWith(name) && entry.at(name.size()) == '=')
            return entry.sliced(name.size() + 1);
    }
    return {};
}

// The folder of the running executable, links resolved; empty when it cannot be told.
std::string executableDirectory()
{
    char path[PATH_MAX];
#if defined(__APPLE__)
    uint32_t size = sizeof path;
    if (_NSGetExecutablePath(path, &size) != 0)
        return {};
    char resolved[PATH_MAX];
    if (!::realpath(path, resolved))
        return {};
    std::string full = resolved;
#else
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    std::string full(path, static_cast<size_t>(n));
#endif
    const size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash);
}

// --help, --version, --open, --targets, --list, --completion and --search-provider; every other
// argument is left to the window (which takes --filter and ignores the rest).
// What --help says is in the user's language once its catalogue is loaded.
struct CommandLine
{
    QCommandLineParser parser;
    QCommandLineOption help{{u"h"_s, u"help"_s}, QCoreApplication::translate("CommandLine", "Show this help and exit.")};
    QCommandLineOption version{u"version"_s, QCoreApplication::translate("CommandLine", "Show the version and exit.")};
    QCommandLineOption open{u"open"_s,
                            QCoreApplication::translate("CommandLine", "Open the org with this alias or username as the window would, without a window; "
                                 "print one line (OPENED ... or OPEN FAIL: ...) and exit with status 0 or 1."),
                            QCoreApplication::translate("CommandLine", "org")};
    QCommandLineOption in{u"in"_s,
                          QCoreApplication::translate("CommandLine", "With --open: the target to open it in (an id that --targets lists); by "
                               "default where the org was opened last, else the system browser."),
                          QCoreApplication::translate("CommandLine", "target id")};
    QCommandLineOption privateWindow{u"private"_s, QCoreApplication::translate("CommandLine", "With --open: in a private window.")};
    QCommandLineOption page{u"page"_s,
                            QCoreApplication::translate("CommandLine", "With --open: the page to start on: home (the default), setup, object-manager, "
                                 "developer-console, users, deployment-status, debug-logs, flows, or a path of the org "
                                 "that begins with /."),
                            QCoreApplication::translate("CommandLine", "name or path")};
    QCommandLineOption targets{u"targets"_s, QCoreApplication::translate("CommandLine", "List the targets an org can open in (id, a tab, label) and exit.")};
    QCommandLineOption list{u"list"_s,
                            QCoreApplication::translate("CommandLine", "List the orgs, one per line: name, username, instance URL and category, "
                                 "separated by tabs; read from the CLI's files when it can be, without running sf.")};
    QCommandLineOption json{u"json"_s, QCoreApplication::translate("CommandLine", "With --list: a JSON array instead.")};
    QCommandLineOption filter{u"filter"_s, QCoreApplication::translate("CommandLine", "Open the window with this text in its filter."),
                              QCoreApplication::translate("CommandLine", "text")};
    QCommandLineOption completion{u"completion"_s,
                                  QCoreApplication::translate("CommandLine", "Print the completion script for bash, zsh or fish and exit."),
                                  QCoreApplication::translate("CommandLine", "shell")};
    QCommandLineOption searchProvider{u"search-provider"_s,
                                      QCoreApplication::translate("CommandLine", "Answer the desktop's search (GNOME Shell, KRunner) over D-Bus "
                                           "until a minute passes unasked; the desktop starts it.")};

    CommandLine(int argc, const char *const *argv)
    {
        parser.setApplicationDescription(
            QCoreApplication::translate("CommandLine", "Manages the org connections that the Salesforce CLI (sf) holds: lists them, opens an\n"
                 "org in a browser session without a new login, and creates, deletes, exports and\n"
                 "imports connections. Without options it opens its window."));
        // "-xh" is one unknown word, not -x and -h.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.addOption({u"self-test"_s,
                          QCoreApplication::translate("CommandLine", "List the orgs through sf without a window, print one result line and "
                               "exit with status 0 (pass) or 1 (fail).")});
        parser.addOptions({open, in, privateWindow, page, targets, list, json, filter, completion, searchProvider, help, version});
        for (int i = 0; i < argc; ++i)
            arguments.append(QString::fromLocal8Bit(argv[i] ? argv[i] : ""));
        parser.parse(arguments); // unknown options are no error: the window opens
    }

    // The usage error for the first of --open, --in and --page given without a value, empty when
    // there is none. The parser would take the next option for the value ("--open --in x" opens
    // an org named "--in"), or an empty one.
    QByteArray missingValue() const
    {
        static const QHash<QString, QByteArray> needs{
            {u"open"_s, "the alias or username of an org"},
            {u"in"_s, "a target id; tarnwick --targets lists them"},
            {u"page"_s, "a page such as setup, or a path of the org that begins with /; tarnwick --help lists the pages"},
            {u"completion"_s, "bash, zsh or fish"},
            {u"filter"_s, "the text to filter by"}};
        QStringList known{u"self-test"_s};
        for (const QCommandLineOption *option : {&open, &in, &privateWindow, &page, &targets, &list, &json, &filter, &completion,
                                                 &searchProvider, &help, &version})
            known += option->names();
        const auto optionName = [&](const QString &argument) {
            const QString name = argument.mid(argument.startsWith("--"_L1) ? 2 : 1).section(u'=', 0, 0);
            return argument.startsWith(u'-') && known.contains(name) ? name : QString();
        };
        for (qsizetype i = 1; i < arguments.size() && arguments[i] != "--"_L1; ++i) {
            const QString name = optionName(arguments[i]);
            if (!needs.contains(name))
                continue;
            // "--filter=--x" says the value outright: a search for "--x" typed in the desktop's search.
            const bool joined = arguments[i].contains(u'=');
            const QString value = joined ? arguments[i].section(u'=', 1) : arguments.value(++i);
            if (value.isEmpty() || (!joined && (value == "--"_L1 || !optionName(value).isEmpty())))
                return "tarnwick: --" + name.toLatin1() + " needs a value (" + needs[name] + ").\n";
        }
        return {};
    }

    QStringList arguments;
};

} // namespace

BrightcairnApp::BrightcairnApp(int &argc, char **argv)
    : m_argc(argc)
    , m_argv(argv)
{
    auto print = [this](const QByteArray &text) {
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
        std::fflush(stdout);
        m_finishedStatus = 0;
    };
    auto fail = [this](const QByteArray &text, int status = 1) {
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stderr);
        m_finishedStatus = status;
    };
    // The self-test comes first and alone: no parser, no application object, nothing but its line.
    if (wantsSelfTest(argc, argv)) {
        m_finishedStatus = SelfTest::run();
        return;
    }
    const CommandLine commandLine(argc, argv);
    if (commandLine.parser.isSet(commandLine.help)) {
        // The generated usage line names the program after the application object's first
        // argument: the name, not the path it was started by.
        char name[] = "tarnwick";
        char *nameOnly[] = {name, nullptr};
        int one = 1;
        const QCoreApplication application(one, nameOnly);
        Translations::use(QLocale::system().uiLanguages());
        print(CommandLine(argc, argv).parser.helpText().toLocal8Bit());
    } else if (commandLine.parser.isSet(commandLine.version)) {
        print("tarnwick " TARNWICK_VERSION "\n");
    } else if (const QByteArray usage = commandLine.missingValue(); !usage.isEmpty()) {
        std::fputs(usage.constData(), stderr);
        m_finishedStatus = 2;
    } else if (commandLine.parser.isSet(commandLine.targets)) {
        print(OpenCommand::targets(*BrowserLocations::system()).toUtf8());
    } else if (commandLine.parser.isSet(commandLine.list)) {
        try {
            const Launchers::Orgs orgs = Launchers::listed(*SFCLI::shared());
            print(commandLine.parser.isSet(commandLine.json) ? Launchers::listJson(orgs) : Launchers::listText(orgs));
        } catch (const DescribedError &error) {
            fail("tarnwick: cannot list the CLI's connections: " + OpenCommand::printable(error.description()).toUtf8() + '\n');
        } catch (const std::exception &error) {
            fail("tarnwick: cannot list the CLI's connections: "_ba + error.what() + '\n');
        }
    } else if (commandLine.parser.isSet(commandLine.completion)) {
        if (const std::optional<QByteArray> script = Launchers::completion(commandLine.parser.value(commandLine.completion)))
            print(*script);
        else
            fail("tarnwick: --completion takes bash, zsh or fish.\n", 2);
    } else if (commandLine.parser.isSet(commandLine.searchProvider)) {
        m_module = Module::searchProvider;
    } else if (commandLine.parser.isSet(commandLine.open)) {
        // Without --in, what is not given is what this org was opened with last; --in says it all.
        const QCommandLineParser &given = commandLine.parser;
        const bool whole = given.isSet(commandLine.in);
        const auto value = [&given, whole](const QCommandLineOption &option) {
            return whole || given.isSet(option) ? std::optional(given.value(option)) : std::nullopt;
        };
        TargetMemory memory;
        const OpenCommand::Outcome outcome = OpenCommand::open(
            *SFCLI::shared(), *BrowserLocations::system(), given.value(commandLine.open),
            {.targetID = value(commandLine.in),
             .privateWindow = whole || given.isSet(commandLine.privateWindow) ? std::optional(given.isSet(commandLine.privateWindow)) : std::nullopt,
             .page = value(commandLine.page)},
            &memory);
        if (!outcome.note.isEmpty())
            std::fputs(QByteArray(outcome.note.toUtf8() + '\n').constData(), stderr);
        print(outcome.line.toUtf8() + '\n');
        m_finishedStatus = outcome.status;
    }
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
    if (m_finishedStatus)
        return *m_finishedStatus;

    const bool search = m_module == Module::searchProvider;
    if (!search && !displayAvailable(SFCLI::processEnvironment())) {
        std::fputs(WindowModule::kNoDisplay, stderr);
        return 1;
    }

    const std::string directory = executableDirectory();
    std::string notFound = "the executable's folder is unknown";
    std::string broken; // the first module that exists explains more than any that do not
    for (const char *folder : WindowModule::kFolders) {
        if (directory.empty())
            break;
        const std::string candidate = directory + '/' + folder + (search ? WindowModule::kSearchFile : WindowModule::kFile);
        if (::access(candidate.c_str(), F_OK) != 0) {
            notFound = candidate + ": not found";
            continue;
        }
        void *module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            const char *error = ::dlerror();
            if (broken.empty())
                broken = error ? error : candidate;
            continue;
        }
        const char *entryName = search ? WindowModule::kSearchEntryPoint : WindowModule::kEntryPoint;
        auto entry = reinterpret_cast<WindowModule::Entry>(::dlsym(module, entryName));
        if (!entry) {
            if (broken.empty())
                broken = candidate + ": no entry point";
            continue;
        }
        // The module stays loaded until the process ends: Qt's own cleanup runs at exit.
        return entry(&m_argc, m_argv);
    }
    const std::string &lastError = broken.empty() ? notFound : broken;
    if (search)
        std::fprintf(stderr, "tarnwick: cannot answer the desktop's search: its module is missing or broken (%s).\n",
                     lastError.c_str());
    else
        std::fprintf(stderr, "tarnwick: cannot open a window: its window module is missing or broken (%s).\n",
                     lastError.c_str());
    return 1;
}
