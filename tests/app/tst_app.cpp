// The process entry: the self-test's verdicts in-process, and the built binary as a user's script
// or desktop runs it (the fake `sf` on PATH, no display, signals to end it).
#include "BrightcairnApp.h"
#include "FakeScenario.h"
#include "OpenCommand.h"
#include "OpenTarget.h"
#include "SelfTest.h"

#include <QFileInfo>
#include <QProcess>

#include <memory>

namespace {

// Three orgs, two of them connected.
const QByteArray kThree = orgListJson({u"a+"_s, u"b+"_s, u"c"_s});
const QByteArray kWork = R"({"profile": {"info_cache": {"Profile 2": {"name": "work"}}}})";

} // namespace

class TestApp : public QObject
{
    Q_OBJECT

    // The built binary in a bare environment: a scratch HOME and a PATH of one scratch folder,
    // where the fake `sf` stands when `withSf`; `setup` "browsers" adds Chrome, Chromium and
    // Firefox there with a profile each, "alone" runs a copy without its window module.
    // `settings`: the folder of the app's settings, shared between runs.
    QProcess *start(const QStringList &arguments, const QStringList &environment = {}, bool withSf = true,
                    const QString &setup = {}, const QString &settings = {})
    {
        m_bin = std::make_unique<QTemporaryDir>();
        m_home = std::make_unique<QTemporaryDir>();
        if (!settings.isEmpty() && !(QDir().mkpath(m_home->filePath(u".config"_s)) && QFile::link(settings, m_home->filePath(u".config/Tarnwick"_s))))
            return nullptr;
        if (withSf)
            QFile::link(kFake, m_bin->filePath(u"sf"_s));
        for (const auto &[program, file, content] : {std::tuple("google-chrome-stable", ".config/google-chrome/Local State", kWork),
                 {"chromium", ".config/chromium/Local State", kWork}, {"firefox", ".mozilla/firefox/profiles.ini", "[Profile0]\nName=w\nPath=p"_ba}}) {
            QFile f(m_home->filePath(QString::fromLatin1(file)));
            if (setup == "browsers"_L1 && !(QFile::link(QStringLiteral(FAKE_CHROME_PATH), m_bin->filePath(QString::fromLatin1(program)))
                                             && QDir().mkpath(QFileInfo(f).path()) && f.open(QFile::WriteOnly) && f.write(content) > 0))
                return nullptr;
        }
        const QString binary = setup == "alone"_L1 ? m_home->filePath(u"tarnwick"_s) : QStringLiteral(TARNWICK_BINARY);
        if (setup == "alone"_L1 && !QFile::copy(QStringLiteral(TARNWICK_BINARY), binary))
            return nullptr;
        auto *process = new QProcess(this);
        // TARNWICK_SF: the scratch folder's sf, even where one is installed in the usual places.
        process->setEnvironment(QStringList{"PATH="_L1 + m_bin->path(), "HOME="_L1 + m_home->path(), u"LANG=C.UTF-8"_s,
                                            "TARNWICK_SF="_L1 + m_bin->filePath(u"sf"_s),
                                            "FAKE_SF_SCENARIO="_L1 + qEnvironmentVariable("FAKE_SF_SCENARIO")}
                                + environment);
        process->start(binary, arguments);
        return process;
    }

    std::unique_ptr<QTemporaryDir> m_bin, m_home;

private Q_SLOTS:
    // A window needs a display it can reach (the command-line table tells the self-test apart).
    void entryChecks()
    {
#if !defined(__APPLE__) // macOS always has its window server
        for (const auto &[environment, expected] :
             {std::pair(QByteArrayList{"HOME=/h", "DISPLAY=", "DISPLAYX=:0"}, false), {{"DISPLAY=:0"}, true},
              {{"WAYLAND_DISPLAY=wayland-0"}, true}, {{"QT_QPA_PLATFORM=offscreen"}, true},
              {{"QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY=w"}, false}, {{"QT_QPA_PLATFORM=wayland", "DISPLAY=:0"}, false}})
            QVERIFY2(BrightcairnApp::displayAvailable(environment) == expected, environment.join(' ').constData());
#endif
    }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QString>("line");
        QTest::newRow("real output, warning on stderr")
            << fixture(u"org-list-three-orgs.json"_s) << 0 << "warning\n"_ba << u"SELFTEST OK: loaded 3 orgs, 0 connected."_s;
        QTest::newRow("an org listed twice counts twice") << orgListJson({u"u+"_s, u"u+"_s}) << 0 << ""_ba
                                                          << u"SELFTEST OK: loaded 2 orgs, 2 connected."_s;
        QTest::newRow("no orgs") << fixture(u"org-list-empty-home.json"_s) << 0 << ""_ba << u"SELFTEST FAIL: sf org list returned no orgs."_s;
        const QByteArray jsonError = fixture(u"org-open-unknown-target.json"_s);
        QTest::newRow("JSON error on stdout") << jsonError << 2 << ""_ba
                                             << "SELFTEST FAIL: "_L1 + QString::fromUtf8(jsonError.trimmed());
        QTest::newRow("stderr") << ""_ba << 1 << "Error (X): nope\n\n"_ba << u"SELFTEST FAIL: Error (X): nope"_s;
        QTest::newRow("long error, cut as the status line cuts it") << ""_ba << 1 << QByteArray(20'000, 'e') << "SELFTEST FAIL: "_L1
            + QString(16 * 1024, u'e') + "\n... (3616 more characters left out)"_L1;
    }

    void verdicts()
    {
        QFETCH(QByteArray, out);
        QFETCH(int, status);
        QFETCH(QByteArray, err);
        QFETCH(QString, line);
        FakeScenario fake;
        fake.answer(u"org_list"_s, out, status, err);
        const SelfTest::Outcome outcome = SelfTest::evaluate(SFCLI(kFake, {}));
        QCOMPARE(outcome.line, line);
        QCOMPARE(outcome.status, line.startsWith("SELFTEST OK"_L1) ? 0 : 1);
        QCOMPARE(fake.calls().value(0).args, (QStringList{u"org"_s, u"list"_s, u"--json"_s}));
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<bool>("withSf");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // what standard output starts with
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("setup"); // start()'s, or a signal sent once sf runs
        const auto row = [](const char *tag, const char *args, const char *env, bool withSf, int status, const QString &out,
                            const QString &err = {}, const char *setup = "") {
            QTest::newRow(tag) << QString::fromUtf8(args).split(u' ', Qt::SkipEmptyParts) << QString::fromUtf8(env).split(u' ', Qt::SkipEmptyParts)
                               << withSf << status << out << err << QString::fromLatin1(setup);
        };
        const QString noDisplay = u"tarnwick: cannot open a window: no usable display."_s;
        const auto needs = [](const char *option) -> QString { return "tarnwick: --"_L1 + QLatin1StringView(option) + " needs a value ("_L1; };
        row("self-test among other arguments", "-v --self-test --help", "", true, 0, u"SELFTEST OK: loaded 3 orgs, 2 connected.\n"_s);
        row("self-test, no sf", "--self-test", "", false, 1, u"SELFTEST FAIL: Salesforce CLI was not found."_s);
        row("--help", "--help", "", false, 0, u"Usage: tarnwick [options]\n"_s);
        // The user's language where a person reads; English where a script does.
        row("--help in Russian", "--help", "LANG=ru_RU.UTF-8", false, 0, u"Использование: tarnwick [параметры]\nУправляет"_s);
        row("--help, English preferred", "--help", "LANG=ru_RU.UTF-8 LANGUAGE=en:ru", false, 0, u"Usage: tarnwick [options]\nManages"_s);
        row("self-test in Russian", "--self-test", "LANGUAGE=ru", true, 0, u"SELFTEST OK: loaded 3 orgs, 2 connected.\n"_s);
        row("--version", "--version", "", false, 0, u"tarnwick " TARNWICK_VERSION "\n"_s);
        row("--targets", "--targets", "LANGUAGE=ru", false, 0, u"system\tSystem default\n"_s); // no browser in the bare environment
        row("--open", "--open c --private --page setup", "LANGUAGE=ru", true, 0, u"OPENED c (Setup) in System default.\n"_s);
        row("--in last", "--open c --in", "", true, 2, {}, u"tarnwick: --in needs a value (a target id; tarnwick --targets lists them).\n"_s);
        row("--open's value an option", "--open --in x", "", true, 2, {}, needs("open"));
        row("--page=, empty", "--open c --page= --private", "", true, 2, {}, needs("page"));
        row("-in's value an option", "--open c -in --private", "", true, 2, {}, needs("in"));
        row("--completion, another shell", "--completion tcsh", "", true, 2, {}, u"tarnwick: --completion takes bash, zsh or fish.\n"_s);
        row("--completion last", "--completion", "", true, 2, {}, needs("completion"));
        row("--filter's value an option", "--filter --list", "", true, 2, {}, needs("filter"));
        row("--list, no files, no sf", "--list", "", false, 1, {}, u"tarnwick: cannot list the CLI's connections: Salesforce CLI was not found."_s);
        row("--list, no files: the CLI's", "--list --json", "", true, 0, u"[\n    {\n        \"category\": \"Other\",\n"_s);
        row("search module missing", "--search-provider", "", false, 1, {}, u"tarnwick: cannot answer the desktop's search: its module is missing"_s, "alone");
        row("window, no display", "--self-testing", "", false, 1, {}, noDisplay);
        row("window, unreachable X server", "", "DISPLAY=:93", false, 1, {}, noDisplay);
        row("--targets, a profile each", "--targets", "", false, 0, u"system\tSystem default\nchrome-default\tChrome default\nchrome-Profile 2\t"
            "Chrome - work\nchromium-default\tChromium default\nchromium-Profile 2\tChromium - work\nfirefox-default\tFirefox default\n"
            "firefox-w\tFirefox - w\n"_s, {}, "browsers");
        // A request to end the process ends it as a quit does, without a question: the CLI command
        // that runs gets its time to finish, and no child is left behind.
        const char *quietWindow = "QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=*.warning=false";
        row("window, SIGTERM", "", quietWindow, true, 0, {}, {}, "15");
        row("window, SIGHUP", "", quietWindow, true, 0, {}, {}, "1");
        row("window module missing", "", "QT_QPA_PLATFORM=offscreen", false, 1, {},
            u"tarnwick: cannot open a window: its window module is missing"_s, "alone");
    }

    // One line on the stream it belongs to, the status for scripts, nothing else.
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(bool, withSf);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QString, setup);
        FakeScenario fake;
        fake.answer(u"org_list"_s, kThree);
        fake.set(u"org_list"_s, u"delay"_s, setup.toInt() ? "1"_ba : "0"_ba);
        QProcess *process = start(arguments, environment, withSf, setup);
        QVERIFY(process);
        if (const int signal = setup.toInt()) {
            QTRY_COMPARE(fake.calls().size(), 1);
            ::kill(static_cast<pid_t>(process->processId()), signal);
        }
        QVERIFY(process->waitForFinished(60'000));
        QVERIFY(process->exitStatus() == QProcess::NormalExit && process->exitCode() == exitCode);
        const QString printed = QString::fromUtf8(process->readAllStandardOutput());
        const QString complained = QString::fromUtf8(process->readAllStandardError());
        QVERIFY2(out.isEmpty() ? printed.isEmpty() : printed.startsWith(out), qPrintable(printed));
        QVERIFY2(err.isEmpty() ? complained.isEmpty() : complained.startsWith(err) && complained.count(u'\n') == 1,
                 qPrintable(complained));
        QVERIFY(exitCode != 2 || fake.calls().isEmpty()); // a usage error runs no sf
        QVERIFY(fake.allEnded());
        if (out.startsWith("OPENED"_L1))
            QCOMPARE(fake.commands().constLast(), u"org open --target-org c --path /lightning/setup/SetupOneHome/home --private"_s);
        if (out.startsWith("SELFTEST"_L1)) {
            QCOMPARE(printed.count(u'\n'), 1);
            QVERIFY(!withSf || printed == out);
            // The CLI's PATH: the fixed folders, then the user's.
            const QList<FakeCall> calls = fake.calls();
            QCOMPARE(calls.size(), withSf ? 1 : 0);
            if (withSf)
                QCOMPARE(calls[0].path + u'|' + calls[0].home,
                         QString::fromLatin1(SFCLI::fixedSearchPath()) + u':' + m_bin->path() + u'|' + m_home->path());
        }
    }

    void openCommand_data()
    {
        QTest::addColumn<QString>("args"); // the org, the target's id, "private" or not
        QTest::addColumn<QString>("outcome"); // the line > the CLI's last call, then the browser's start
        const QString listed = u" > org list --json --skip-connection-status"_s;
        QTest::newRow("system, privately") << u"a system private"_s << u"OPENED a in System default. > org open --target-org a --private"_s;
        QTest::newRow("a page") << u"a system - debug-logs"_s
                                << u"OPENED a (Debug Logs) in System default. > org open --target-org a --path /lightning/setup/ApexDebugLogs/home"_s;
        QTest::newRow("by username, in a profile") << u"b@x.com chromium-P2 -"_s << u"OPENED b in Chromium - work. > org open "
                                                      "--target-org b --url-only --json chromium --profile-directory=P2 https://b.example/fd"_s;
        QTest::newRow("from the CLI's files, no list") << u"f system -"_s << u"OPENED f in System default. > org open --target-org f"_s;
        QTest::newRow("no such org") << u"nobody system -"_s
                                     << "OPEN FAIL: No Salesforce CLI connection has the alias or username nobody."_L1 + listed;
        QTest::newRow("no such target") << u"a chrome-default -"_s
                                        << "OPEN FAIL: No browser target has the id chrome-default; tarnwick --targets lists them."_L1 + listed;
        QTest::newRow("a name for two orgs") << u"x system -"_s << "OPEN FAIL: The Salesforce CLI cannot reach x: another connection has x "
                                                                 "as its alias, and the CLI looks up aliases first. Rename or remove that alias (sf alias unset x)."_L1 + listed;
    }

    // The command line's open: the org as the CLI names it, refused when the name stands for two.
    void openCommand()
    {
        QFETCH(QString, args);
        QFETCH(QString, outcome);
        FakeScenario fake;
        fake.answer(u"org_list"_s, orgListJson({u"a"_s, u"b"_s, u"~x"_s, u"{\"username\":\"y@x.com\",\"alias\":\"x\",\"instanceUrl\":\"https://y.example\"}"_s}));
        fake.answer(u"org_open"_s, "{\"result\":{\"url\":\"https://b.example/fd\"}}");
        QString started;
        BrowserLocations browsers;
        browsers.chromiums = {{u"chromium"_s, u"Chromium"_s,
                               {{QStringLiteral(FAKE_CHROME_PATH), QStringLiteral(TARNWICK_FIXTURES_DIR "/local-state-one-profile.json")}}}};
        browsers.launchDetached = [&](const QString &, const QStringList &a) { started = " chromium "_L1 + a.join(u' '); };
        const QStringList arg = args.split(u' ');
        QTemporaryDir home; // where the CLI's own files know f alone
        for (const auto &[file, content] : {std::pair{"f@x.example.json", "{\"instanceUrl\":\"https://f.example\"}"}, {"alias.json", "{\"orgs\":{\"f\":\"f@x.example\"}}"}}) {
            QFile f(home.filePath(".sfdx/"_L1 + QLatin1StringView(file)));
            QVERIFY(QDir().mkpath(QFileInfo(f).path()) && f.open(QIODevice::WriteOnly) && f.write(content) > 0);
        }
        SFCLI cli(kFake, {});
        if (arg[0] == "f"_L1)
            cli.setHome(home.path());
        const OpenCommand::Outcome done = OpenCommand::open(cli, browsers, arg[0], arg[1], arg[2] == "private"_L1, arg.value(3));
        QCOMPARE(done.line + " > "_L1 + fake.commands().constLast() + started, outcome);
        QVERIFY(arg[0] != "f"_L1 || fake.commands().size() == 1); // the files' org: no list waited for
        QCOMPARE(done.status, outcome.startsWith("OPENED"_L1) ? 0 : 1);
        QCOMPARE(OpenCommand::printable(u"a\u001b[31m\u202Eb\nc"_s), u"a?[31m?b c"_s);
    }

    // Where an org was opened last, across processes over one settings folder: --open without --in
    // goes there again; --in wins, says it all and is remembered; a target gone is the system
    // browser, said on standard error.
    void openRemembers()
    {
        FakeScenario fake;
        fake.answer(u"org_list"_s, kThree);
        fake.answer(u"org_open"_s, "{\"result\":{\"url\":\"https://c.example/fd\"}}");
        QTemporaryDir settings;
        QStringList seen;
        for (const auto &[arguments, setup] : {std::pair(QStringList{u"--in"_s, u"chromium-Profile 2"_s, u"--private"_s, u"--page"_s, u"users"_s}, "browsers"),
                                               {QStringList{}, "browsers"}, {{u"--in"_s, u"system"_s}, "browsers"}, {{}, "browsers"},
                                               {{u"--in"_s, u"chromium-Profile 2"_s}, "browsers"}, {{}, ""}}) {
            QProcess *process = start(QStringList{u"--open"_s, u"c"_s} + arguments, {u"FAKE_CHROME_LOG=/dev/null"_s}, true,
                                      QString::fromLatin1(setup), settings.path());
            QVERIFY(process && process->waitForFinished(20'000));
            seen << QString::fromUtf8(process->readAllStandardError() + process->readAllStandardOutput()) + fake.commands().constLast();
        }
        const QString chromium = u"OPENED c (Users) in Chromium - work.\norg open --target-org c --url-only --json --path /lightning/setup/ManageUsers/home"_s;
        const QString system = u"OPENED c in System default.\norg open --target-org c"_s;
        QCOMPARE(seen, (QStringList{chromium, chromium, system, system, u"OPENED c in Chromium - work.\norg open --target-org c --url-only --json"_s,
                                    "tarnwick: c was last opened in chromium-Profile 2, which is no longer offered; opening it in the system browser.\n"_L1 + system}));
    }
};

QTEST_GUILESS_MAIN(TestApp)
#include "tst_app.moc"
