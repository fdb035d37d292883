// The runner and the locator against real child processes: the fake `sf`, /usr/bin/env, and
// files that cannot be started.
#include "CLITestSupport.h"
#include "StopSignal.h"

#include <cerrno>
#include <csignal>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kFixed = QString::fromLatin1(SFCLI::fixedSearchPath());
const QString kNotFound = u"!Salesforce CLI was not found. Install it or make sure /opt/homebrew/bin/sf exists."_s;

// "=" and the output, or "!" and the failure's text.
QString outcome(const SFCLI &cli, const QStringList &args = {u"org"_s}, double timeout = 30)
{
    QString out;
    const std::optional<AppError> error = failureOf([&] { out = u'=' + cli.run(args, timeout); });
    return error ? u'!' + error->errorDescription() : out;
}

bool processGone(qint64 pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

// What to place at `path`: 'x' an executable, 'p' a plain file, 'd' a folder, 's' a script whose
// interpreter is missing, 'l' a link to the fake, '-' nothing.
void place(const QString &path, char kind, const QByteArray &script = "#!/nonexistent/interpreter\n"_ba)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    if (kind == 'x' || kind == 'p')
        QVERIFY(QFile::copy(kFake, path));
    if (kind == 's')
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(script) == script.size());
    if (kind == 'd')
        QVERIFY(QDir().mkpath(path));
    if (kind == 'l')
        QVERIFY(QFile::link(kFake, path));
    if (kind == 'x' || kind == 'p' || kind == 's')
        QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | (kind == 'p' ? QFile::Permissions() : QFile::ExeOwner)));
}

bool sfInFixedDirectories()
{
    for (const QString &dir : kFixed.split(u':'))
        if (QFileInfo::exists(dir + "/sf"_L1))
            return true;
    return false;
}

// Sets PATH for one test and restores it however the test left it.
struct PathGuard
{
    const std::optional<QByteArray> saved = qEnvironmentVariableIsSet("PATH") ? std::optional(qgetenv("PATH")) : std::nullopt;
    explicit PathGuard(const std::optional<QByteArray> &path) { path ? qputenv("PATH", *path) : qunsetenv("PATH"); }
    ~PathGuard() { saved ? qputenv("PATH", *saved) : qunsetenv("PATH"); }
};

} // namespace

class TestRunner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        // Every child was reaped: this process has none left, zombie or alive.
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
        QCOMPARE(errno, ECHILD);
    }

    void argumentsPassedOneEach()
    {
        FakeScenario fake;
        const QStringList args{u"my org; rm -rf ~"_s, u"$(whoami) `id` \"q\" 'q'"_s, u""_s, u"Zoë 東京 ✓"_s, u"*"_s};
        const SFCLI cli(kFake, {u"--base"_s});
        cli.run(args);
        QCOMPARE(fake.calls().value(0).args, QStringList{u"--base"_s} + args);
        // A C argument ends at the first NUL: refused before anything runs.
        QCOMPARE(outcome(cli, {u"org"_s, u"acme\0other"_s}), u"!A Salesforce CLI argument contains a NUL character and was not passed on."_s);
        QCOMPARE(fake.calls().size(), 1);
    }

    void result_data()
    {
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("outcome");
        const QByteArray jsonError = "{\n  \"name\": \"NamedOrgNotFoundError\",\n  \"exitCode\": 2\n}\n";
        QTest::newRow("output exactly") << "first line\n  second  \n"_ba << "a warning\n"_ba << 0 << u"=first line\n  second  \n"_s;
        QTest::newRow("invalid UTF-8 output is empty") << "{\"x\":\"\xc3\x28\"}"_ba << ""_ba << 0 << u"="_s;
        QTest::newRow("stderr wins, trimmed") << "ignored"_ba << "\n  Error (X): boom \n\n"_ba << 1 << u"!Error (X): boom"_s;
        QTest::newRow("json error on stdout") << jsonError << ""_ba << 2 << u'!' + QString::fromUtf8(jsonError.trimmed());
        QTest::newRow("blank stderr, stdout") << " out \n"_ba << " \t\n"_ba << 1 << u"!out"_s;
        QTest::newRow("no output at all") << ""_ba << ""_ba << 3 << u"!"_s;
        QTest::newRow("invalid UTF-8 stderr is empty") << "from stdout"_ba << "bad \xff\xfe bytes"_ba << 1 << u"!from stdout"_s;
        QTest::newRow("unicode, lines") << ""_ba << "Fehler: Zoë ✓\nline two\n"_ba << 1 << u"!Fehler: Zoë ✓\nline two"_s;
        // What the real CLI prints when CI=true or FORCE_COLOR is set.
        QTest::newRow("terminal colours removed") << ""_ba << "\x1b[1m\x1b[31mError (NoAuth):\x1b[39m\x1b[22m No org.\n"_ba << 1 << u"!Error (NoAuth): No org."_s;
        QTest::newRow("link and lone escape removed") << "\x1b]8;;https://x.io\x07" "docs\x1b]8;;\x07 here\x1b"_ba << ""_ba << 1 << u"!docs here"_s;
        QTest::newRow("killed by a signal") << "partial"_ba << "dying\n"_ba << -9 << u"!dying"_s;
    }

    void result()
    {
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(int, status);
        QFETCH(QString, outcome);
        FakeScenario fake;
        fake.answer({}, out, qMax(status, 0), err);
        if (status < 0)
            fake.set({}, u"signal"_s, QByteArray::number(-status));
        QCOMPARE(::outcome(SFCLI(kFake, {})), outcome);
    }

    void cannotStart_data()
    {
        QTest::addColumn<char>("kind");
        for (char kind : {'-', 'p', 'd', 's'})
            QTest::addRow("%c", kind) << kind;
    }

    void cannotStart()
    {
        QFETCH(char, kind);
        QTemporaryDir dir;
        place(dir.filePath(u"sf"_s), kind);
        QCOMPARE(outcome(SFCLI(dir.filePath(u"sf"_s), {})), kNotFound);
    }

    void ending_data()
    {
        QTest::addColumn<double>("limit");
        QTest::addColumn<bool>("ignoreTerm");
        QTest::addColumn<int>("stop"); // 0 none, 1 while running, 2 before the start
        QTest::newRow("time-out") << 0.3 << false << 0;
        QTest::newRow("zero limit") << 0.0 << false << 0;
        QTest::newRow("negative limit") << -5.0 << false << 0;
        QTest::newRow("time-out, termination ignored") << 0.3 << true << 0;
        QTest::newRow("stop") << 60.0 << false << 1;
        QTest::newRow("stop, termination ignored") << 60.0 << true << 1;
        QTest::newRow("stop before the start") << 60.0 << false << 2;
    }

    // Past its limit or on a stop from another thread the child gets the termination request,
    // then the kill, and is reaped; a stop before the start runs nothing.
    void ending()
    {
        QFETCH(double, limit);
        QFETCH(bool, ignoreTerm);
        QFETCH(int, stop);
        FakeScenario fake;
        fake.set({}, u"delay"_s, "60"_ba);
        if (ignoreTerm)
            fake.set({}, u"ignore-term"_s, {});
        SFCLI cli(kFake, {});
        cli.setKillGrace(std::chrono::milliseconds(300));
        StopSignal signal;
        if (stop == 2)
            signal.request();
        std::thread stopper([&] {
            for (int i = 0; i < 1000 && stop == 1 && fake.calls().isEmpty(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (stop == 1)
                signal.request();
        });
        QString result;
        try {
            const StopSignal::Scope scope(&signal);
            result = outcome(cli, {u"org"_s}, limit);
        } catch (const Stopped &) {
            result = u"stopped"_s;
        }
        stopper.join();
        QCOMPARE(result, stop ? u"stopped"_s : u"!Salesforce CLI command timed out."_s);
        // With a zero limit the fake may not have got as far as recording itself.
        const QList<FakeCall> calls = fake.calls();
        QCOMPARE(calls.size(), stop == 2 ? 0 : limit > 0 ? 1 : calls.size());
        for (const FakeCall &call : calls)
            QVERIFY(processGone(call.pid));
        // The termination request came first: a child that honours it never waits for the kill.
        if (limit > 0 && !ignoreTerm && stop != 2)
            QCOMPARE(fake.terminatedPids(), QList<qint64>{calls[0].pid});
    }

    void largeOutputs_data()
    {
        QTest::addColumn<bool>("stderrFirst");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("mebibytes"); // on stdout; stderr gets 4
        QTest::addColumn<qsizetype>("cap"); // per stream; 0: the default
        QTest::newRow("stdout first, success") << false << 0 << 6 << qsizetype(0);
        QTest::newRow("stderr first, success") << true << 0 << 6 << qsizetype(0);
        QTest::newRow("stderr first, failure") << true << 1 << 6 << qsizetype(0);
        QTest::newRow("50 MB of output") << false << 0 << 50 << qsizetype(0);
        QTest::newRow("exactly the cap") << false << 0 << 6 << qsizetype(6 << 20);
        QTest::newRow("stdout past the cap") << false << 0 << 6 << qsizetype(5 << 20);
        QTest::newRow("stderr past the cap") << true << 1 << 1 << qsizetype(3 << 20);
        QTest::newRow("output without end") << false << 0 << 1'000'000 << qsizetype(5 << 20);
    }

    // Far more than a pipe holds on both streams: a runner that read one stream only after the
    // other ended would time out. Past the cap the child is ended and the run fails, naming it.
    void largeOutputs()
    {
        QFETCH(bool, stderrFirst);
        QFETCH(int, status);
        QFETCH(int, mebibytes);
        QFETCH(qsizetype, cap);
        FakeScenario fake;
        const QByteArray chunk = QByteArray(1023, 'x') + '\n';
        const int repeat = mebibytes * 1024;
        fake.answer({}, chunk, status, "E"_ba.repeated(4 << 20) + " end"_ba);
        fake.set({}, u"repeat"_s, QByteArray::number(repeat));
        if (stderrFirst)
            fake.set({}, u"stderr-first"_s, {});
        SFCLI cli(kFake, {});
        if (cap)
            cli.setOutputCap(cap);
        const QString result = outcome(cli, {u"org"_s}, 60);
        if (cap && (cap < qsizetype(mebibytes) << 20 || cap < 4 << 20)) {
            QCOMPARE(result, u"!Salesforce CLI printed more than %1 MiB; the command was stopped."_s.arg(cap >> 20));
            QVERIFY(processGone(fake.calls().at(0).pid));
        } else {
            QCOMPARE(result.size(), 1 + (status ? (4 << 20) + 4 : chunk.size() * repeat));
            QVERIFY(result.endsWith(status ? u"E end"_s : u"x\n"_s));
        }
    }

    // A grandchild that inherited the pipes (a browser the CLI started) keeps them open for a
    // minute; the run still ends when the CLI itself has ended.
    void grandchildDoesNotHoldTheRun()
    {
        FakeScenario fake;
        fake.answer({}, "opened\n"_ba);
        fake.set({}, u"grandchild"_s, "60"_ba);
        QCOMPARE(outcome(SFCLI(kFake, {})), u"=opened\n"_s);
        QCOMPARE(fake.grandchildPids().size(), 1);
    }

    void concurrentRunsAreIndependent()
    {
        FakeScenario fake;
        const SFCLI cli(kFake, {});
        for (int i = 0; i < 4; ++i)
            fake.answer(QString::number(i), QByteArray::number(i));
        std::vector<std::thread> threads;
        std::atomic<int> good{0};
        for (int i = 0; i < 4; ++i)
            threads.emplace_back([&cli, &good, i] {
                for (int j = 0; j < 5; ++j)
                    good += cli.run({QString::number(i)}) == QString::number(i);
            });
        for (std::thread &t : threads)
            t.join();
        QCOMPARE(good.load(), 20);
        QCOMPARE(fake.calls().size(), 20);
    }

    void childPath_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("parentPath");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absent") << std::optional<QByteArray>() << kFixed;
        QTest::newRow("empty") << std::optional<QByteArray>(""_ba) << kFixed;
        QTest::newRow("set") << std::optional<QByteArray>("/home/u/bin:/usr/bin"_ba) << kFixed + ":/home/u/bin:/usr/bin"_L1;
    }

    // The real child's PATH, as the fake records it; the rest of the environment unchanged.
    void childPath()
    {
        QFETCH(std::optional<QByteArray>, parentPath);
        QFETCH(QString, expected);
        const PathGuard guard(parentPath);
        FakeScenario fake;
        SFCLI(kFake, {}).run({u"org"_s});
        QVERIFY(fake.calls().value(0).pathSet);
        QCOMPARE(fake.calls().value(0).path, expected);
        const QByteArrayList parent{"HOME=/h"_ba, "PATH=/a"_ba, "LANG=C"_ba, "PATH=/second"_ba, "PATHEXT=x"_ba};
        QCOMPARE(SFCLI::childEnvironment(parent), (QByteArrayList{"HOME=/h"_ba, "PATH="_ba + SFCLI::fixedSearchPath() + ":/a"_ba, "LANG=C"_ba, "PATHEXT=x"_ba}));
    }

    // With the fallback chosen, `sf` is looked up by env on the child's PATH: found after the
    // fixed directories, or env's own error when it is nowhere.
    void envFallback()
    {
        if (sfInFixedDirectories())
            QSKIP("an sf is installed in a fixed directory; the fallback cannot be observed here");
        QTemporaryDir bin;
        place(bin.filePath(u"sf"_s), 'l');
        const PathGuard guard(QFile::encodeName(bin.path()));
        FakeScenario fake;
        const SFCLI cli(SFCLI::locate({bin.filePath(u"nothing-here"_s)}));
        QCOMPARE((QStringList{cli.executableURL()} + cli.baseArguments()), (QStringList{u"/usr/bin/env"_s, u"sf"_s}));
        QCOMPARE(outcome(cli, {u"org"_s, u"list"_s}), u"="_s);
        QCOMPARE(fake.calls().value(0).path, kFixed + u':' + bin.path());
        QCOMPARE(fake.calls().value(0).args, (QStringList{u"org"_s, u"list"_s}));
        qputenv("PATH", ""_ba);
        const QString error = outcome(cli);
        QVERIFY2(error.startsWith(u'!') && error.contains(u"sf"_s) && error.contains(u"No such file or directory"_s), qPrintable(error));
        QCOMPARE(fake.calls().size(), 1);
    }

    void locate_data()
    {
        QTest::addColumn<QByteArray>("kinds"); // what stands at the two fixed paths
        QTest::addColumn<int>("expected"); // 0, 1, or -1 for the env fallback
        QTest::newRow("both executable") << "xx"_ba << 0;
        QTest::newRow("first not executable") << "px"_ba << 1;
        QTest::newRow("first a folder") << "dx"_ba << 1;
        QTest::newRow("first missing") << "-x"_ba << 1;
        QTest::newRow("neither") << "p-"_ba << -1;
    }

    void locate()
    {
        QFETCH(QByteArray, kinds);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QStringList paths{dir.filePath(u"a/sf"_s), dir.filePath(u"b/sf"_s)};
        place(paths[0], kinds[0]);
        place(paths[1], kinds[1]);
        const SFCLI::Location found = SFCLI::locate(paths);
        QCOMPARE(found.executableURL, expected < 0 ? u"/usr/bin/env"_s : paths[expected]);
        QCOMPARE(found.baseArguments, expected < 0 ? QStringList{u"sf"_s} : QStringList());
    }

    void nodeBesideTheCLI_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::newRow("version manager's folder on PATH") << u"path"_s;
        QTest::newRow("script beside its Node on PATH") << u"script"_s;
        QTest::newRow("linked into a fixed folder, short PATH") << u"link"_s;
        QTest::newRow("wrapper that runs its own Node") << u"wrapper"_s;
        QTest::newRow("native program beside a Node") << u"native"_s;
    }

    // The stand-in `node` tells which one ran and the PATH it got; the fixed folders, and with
    // them the system's older Node, come first unless the CLI's own Node is put in front.
    void nodeBesideTheCLI()
    {
        QFETCH(QString, layout);
        const bool onPath = layout == "path"_L1 || layout == "script"_L1;
        if (onPath && sfInFixedDirectories())
            QSKIP("an sf in a fixed directory would be found first");
        FakeScenario fake;
        QTemporaryDir dir;
        const QString vm = dir.filePath(u"vm/bin"_s), own = dir.filePath(u"own"_s);
        const QByteArray node = "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$PATH\"\n"_ba;
        place(vm + "/node"_L1, 's', node);
        place(own + "/libexec/node"_L1, 's', node);
        place(own + "/bin/sf"_L1, 's', "#!/bin/sh\nexec \"${0%/bin/sf}/libexec/node\" \"$@\"\n");
        place(dir.filePath(u"vm/lib/run.js"_s), 's', "#!/usr/bin/env -S node --no-deprecation\n");
        if (layout == "script"_L1)
            place(vm + "/sf"_L1, 's', "#!/usr/bin/env node\n");
        else if (layout == "native"_L1) // env, which runs the fake `sf` it is given
            QVERIFY(QFile::copy(u"/usr/bin/env"_s, vm + "/sf"_L1));
        else
            QCOMPARE(::symlink("../lib/run.js", QFile::encodeName(vm + "/sf"_L1).constData()), 0);
        QVERIFY(QFile::link(vm + "/sf"_L1, dir.filePath(u"sf"_s)));

        const QByteArray parentPath = (onPath ? QFile::encodeName(vm) + ':' : QByteArray()) + "/usr/bin:/bin"_ba;
        const PathGuard guard(parentPath);
        SFCLI::Location location{dir.filePath(u"sf"_s), {}};
        QString ran = vm + "/node\n"_L1 + vm + u':';
        if (onPath) {
            location = SFCLI::locate({});
        } else if (layout == "wrapper"_L1) {
            location = {own + "/bin/sf"_L1, {}};
            ran = own + "/libexec/node\n"_L1;
        } else if (layout == "native"_L1) {
            location = {vm + "/sf"_L1, {kFake}};
        }
        const QString output = outcome(SFCLI(location));
        const QString childPath = kFixed + u':' + QString::fromLocal8Bit(parentPath);
        if (layout == "native"_L1)
            QCOMPARE(fake.calls().value(0).path, childPath);
        else
            QCOMPARE(output, u'=' + ran + childPath + u'\n');
    }
};

QTEST_GUILESS_MAIN(TestRunner)
#include "tst_runner.moc"
