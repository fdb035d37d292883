// The runner and the locator against real child processes: the fake `sf`, /usr/bin/env, and
// files that cannot be started.
#include "AppError.h"
#include "FakeScenario.h"
#include "SFCLI.h"
#include "StopSignal.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kFake = QStringLiteral(FAKE_SF_PATH);
const QString kFixed = QString::fromLatin1(SFCLI::fixedSearchPath());

// Runs and returns the AppError it throws; fails the test when it does not throw one.
std::optional<AppError> failureOf(const SFCLI &cli, const QStringList &args, double timeout = 30)
{
    try {
        cli.run(args, timeout);
    } catch (const AppError &error) {
        return error;
    }
    return std::nullopt;
}

bool processGone(qint64 pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

// Restores PATH however a test left it.
class PathGuard
{
public:
    PathGuard()
        : m_had(qEnvironmentVariableIsSet("PATH"))
        , m_value(qgetenv("PATH"))
    {
    }
    ~PathGuard()
    {
        if (m_had)
            qputenv("PATH", m_value);
        else
            qunsetenv("PATH");
    }

private:
    bool m_had;
    QByteArray m_value;
};

bool writeScript(const QString &path, const QByteArray &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size()
        && f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool sfInFixedDirectories()
{
    for (const QString &dir : kFixed.split(u':'))
        if (QFileInfo(dir + "/sf"_L1).exists())
            return true;
    return false;
}

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

    void successReturnsOutputExactly()
    {
        FakeScenario fake;
        fake.answer({}, "first line\n  second  \n"_ba, 0, "a warning on stderr\n"_ba);
        const SFCLI cli(kFake, {u"--base"_s});
        QCOMPARE(cli.run({u"org"_s, u"list"_s}), u"first line\n  second  \n"_s);
        const QList<FakeCall> calls = fake.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].args, (QStringList{u"--base"_s, u"org"_s, u"list"_s}));
    }

    void argumentsPassedOneEach()
    {
        FakeScenario fake;
        const QStringList args{u"org"_s, u"open"_s, u"--target-org"_s, u"my org; rm -rf ~"_s,
                               u"$(whoami) `id` \"q\" 'q'"_s, u""_s, u"Zoë 東京 ✓"_s, u"*"_s};
        SFCLI(kFake, {}).run(args);
        QCOMPARE(fake.calls().value(0).args, args);
    }

    void nulInArgumentIsRefused()
    {
        FakeScenario fake;
        const auto error = failureOf(SFCLI(kFake, {}), {u"org"_s, u"acme\0other"_s});
        QVERIFY(error);
        QCOMPARE(error->kind(), AppError::Kind::commandFailed);
        QVERIFY(fake.calls().isEmpty());
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");

        const QByteArray jsonError = "{\n  \"name\": \"NamedOrgNotFoundError\",\n  \"exitCode\": 2\n}\n";
        QTest::newRow("stderr wins, trimmed") << "ignored"_ba << "\n  Error (X): boom \n\n"_ba << 1
                                              << u"Error (X): boom"_s;
        QTest::newRow("json error on stdout only") << jsonError << ""_ba << 2
                                                   << QString::fromUtf8(jsonError.trimmed());
        QTest::newRow("blank stderr falls back to stdout") << " out \n"_ba << " \t\n"_ba << 1
                                                           << u"out"_s;
        QTest::newRow("no output at all") << ""_ba << ""_ba << 3 << QString();
        QTest::newRow("invalid utf-8 stderr counts as empty")
            << "from stdout"_ba << "bad \xff\xfe bytes"_ba << 1 << u"from stdout"_s;
        QTest::newRow("unicode kept") << ""_ba << "Fehler: Zoë ✓\n"_ba << 1 << u"Fehler: Zoë ✓"_s;
        QTest::newRow("multi-line message") << ""_ba << "line one\nline two\n"_ba << 1
                                            << u"line one\nline two"_s;
        // What the real CLI prints when CI=true or FORCE_COLOR is set.
        QTest::newRow("terminal colours removed")
            << ""_ba << "\x1b[1m\x1b[31mError (NoAuthFoundForTargetOrgError):\x1b[39m\x1b[22m No org.\n"_ba << 1
            << u"Error (NoAuthFoundForTargetOrgError): No org."_s;
        QTest::newRow("link and lone escape removed")
            << "\x1b]8;;https://x.io\x07" "docs\x1b]8;;\x07 here\x1b"_ba << ""_ba << 1 << u"docs here"_s;
    }

    void failures()
    {
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(int, status);
        QFETCH(QString, message);
        FakeScenario fake;
        fake.answer({}, out, status, err);
        const auto error = failureOf(SFCLI(kFake, {}), {u"org"_s});
        QVERIFY(error);
        QCOMPARE(error->kind(), AppError::Kind::commandFailed);
        QCOMPARE(error->errorDescription(), message);
    }

    void killedBySignalIsAFailure()
    {
        FakeScenario fake;
        fake.answer({}, "partial"_ba, 0, "dying\n"_ba);
        fake.set({}, u"signal"_s, "9"_ba);
        const auto error = failureOf(SFCLI(kFake, {}), {u"org"_s});
        QVERIFY(error);
        QCOMPARE(error->errorDescription(), u"dying"_s);
    }

    // Invalid UTF-8 is empty text, but an org list says what is wrong with it.
    void invalidUtf8Output()
    {
        FakeScenario fake;
        fake.answer({}, "{\"status\":0,\"x\":\"\xc3\x28\"}"_ba);
        QCOMPARE(SFCLI(kFake, {}).run({u"org"_s}), QString());
        try {
            SFCLI(kFake, {}).orgs();
            QFAIL("decoded");
        } catch (const DescribedError &error) {
            QCOMPARE(error.description(), u"Unexpected org list from sf: not valid UTF-8."_s);
        }
    }

    void cannotStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << u"missing"_s;
        QTest::newRow("not executable") << u"plain"_s;
        QTest::newRow("directory") << u"directory"_s;
        QTest::newRow("no interpreter") << u"script"_s;
    }

    void cannotStart()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString program = dir.filePath(u"sf"_s);
        if (kind == "plain"_L1 || kind == "script"_L1) {
            QFile f(program);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(kind == "script"_L1 ? "#!/nonexistent/interpreter\n"_ba : "echo hi\n"_ba);
            f.close();
            f.setPermissions(kind == "script"_L1 ? QFile::ReadOwner | QFile::ExeOwner
                                                 : QFile::ReadOwner | QFile::WriteOwner);
        } else if (kind == "directory"_L1) {
            QVERIFY(QDir().mkpath(program));
        }
        const auto error = failureOf(SFCLI(program, {}), {u"org"_s, u"list"_s});
        QVERIFY(error);
        QCOMPARE(error->kind(), AppError::Kind::sfNotFound);
        QCOMPARE(error->errorDescription(),
                 u"Salesforce CLI was not found. Install it or make sure /opt/homebrew/bin/sf exists."_s);
    }

    void timeout_data()
    {
        QTest::addColumn<double>("limit");
        QTest::addColumn<bool>("ignoreTerm");
        QTest::newRow("short limit") << 0.3 << false;
        QTest::newRow("zero limit") << 0.0 << false;
        QTest::newRow("negative limit") << -5.0 << false;
        QTest::newRow("ignores termination") << 0.3 << true;
    }

    void timeout()
    {
        QFETCH(double, limit);
        QFETCH(bool, ignoreTerm);
        FakeScenario fake;
        fake.answer({}, "never seen"_ba);
        fake.set({}, u"delay"_s, "60"_ba);
        if (ignoreTerm)
            fake.set({}, u"ignore-term"_s, {});
        SFCLI cli(kFake, {});
        cli.setKillGrace(std::chrono::milliseconds(300));
        const auto error = failureOf(cli, {u"org"_s}, limit);
        QVERIFY(error);
        QCOMPARE(error->kind(), AppError::Kind::commandFailed);
        QCOMPARE(error->errorDescription(), u"Salesforce CLI command timed out."_s);
        // With a zero limit the fake may not have got as far as recording itself.
        const QList<FakeCall> calls = fake.calls();
        if (!calls.isEmpty())
            QVERIFY(processGone(calls[0].pid));
        // The termination request came first: a child that honours it never waits for the kill.
        if (limit > 0 && !ignoreTerm)
            QCOMPARE(fake.terminatedPids(), QList<qint64>{calls[0].pid});
    }

    // A stop from another thread ends the run at once, the child gone and reaped even when it
    // ignores the termination request; a stop requested before the start runs nothing.
    void stop_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("ignoreTerm");
        QTest::newRow("while running") << false << false;
        QTest::newRow("while running, termination ignored") << false << true;
        QTest::newRow("before the start") << true << false;
    }

    void stop()
    {
        QFETCH(bool, before);
        QFETCH(bool, ignoreTerm);
        FakeScenario fake;
        fake.set({}, u"delay"_s, "60"_ba);
        if (ignoreTerm)
            fake.set({}, u"ignore-term"_s, {});
        SFCLI cli(kFake, {});
        cli.setKillGrace(std::chrono::milliseconds(300));
        StopSignal stop;
        if (before)
            stop.request();
        std::thread stopper([&] {
            for (int i = 0; i < 1000 && !before && fake.calls().isEmpty(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            stop.request();
        });
        bool stopped = false;
        try {
            const StopSignal::Scope scope(&stop);
            cli.run({u"org"_s}, 60);
        } catch (const Stopped &) {
            stopped = true;
        }
        stopper.join();
        QVERIFY(stopped);
        QCOMPARE(fake.calls().size(), before ? 0 : 1);
        if (!before)
            QVERIFY(processGone(fake.calls()[0].pid));
        if (!before && !ignoreTerm)
            QCOMPARE(fake.terminatedPids(), QList<qint64>{fake.calls()[0].pid});
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

    // Several megabytes on both streams: far more than a pipe holds, so a runner that read one
    // stream only after the other ended would time out here. Past the cap the child is ended and
    // the run fails, naming the cap.
    void largeOutputs()
    {
        QFETCH(bool, stderrFirst);
        QFETCH(int, status);
        QFETCH(int, mebibytes);
        QFETCH(qsizetype, cap);
        FakeScenario fake;
        const QByteArray chunk = QByteArray(1023, 'x') + '\n';
        const int repeat = mebibytes * 1024;
        fake.answer({}, chunk, status, "E"_ba.repeated(4 * 1024 * 1024) + " end"_ba);
        fake.set({}, u"repeat"_s, QByteArray::number(repeat));
        if (stderrFirst)
            fake.set({}, u"stderr-first"_s, {});
        SFCLI cli(kFake, {});
        if (cap)
            cli.setOutputCap(cap);
        if (cap && (cap < qsizetype(mebibytes) << 20 || cap < 4 << 20)) {
            const auto error = failureOf(cli, {u"org"_s}, 60);
            QVERIFY(error);
            QCOMPARE(error->errorDescription(),
                     u"Salesforce CLI printed more than %1 MiB; the command was stopped."_s.arg(cap >> 20));
            QVERIFY(processGone(fake.calls().at(0).pid));
        } else if (status == 0) {
            const QString out = cli.run({u"org"_s}, 60);
            QCOMPARE(out.size(), chunk.size() * repeat);
            QVERIFY(out.endsWith(u"x\n"_s));
        } else {
            const auto error = failureOf(cli, {u"org"_s}, 60);
            QVERIFY(error);
            QCOMPARE(error->errorDescription().size(), 4 * 1024 * 1024 + 4);
        }
    }

    // A grandchild that inherited the pipes (a browser the CLI started) keeps them open for a
    // minute; the run still ends when the CLI itself has ended.
    void grandchildDoesNotHoldTheRun()
    {
        FakeScenario fake;
        fake.answer({}, "opened\n"_ba);
        fake.set({}, u"grandchild"_s, "60"_ba);
        QCOMPARE(SFCLI(kFake, {}).run({u"org"_s, u"open"_s}, 30), u"opened\n"_s);
        QCOMPARE(fake.grandchildPids().size(), 1);
    }

    void concurrentRunsAreIndependent()
    {
        FakeScenario fake;
        fake.answer({}, "same\n"_ba);
        const SFCLI cli(kFake, {});
        std::vector<std::thread> threads;
        std::atomic<int> good{0};
        for (int i = 0; i < 4; ++i) {
            threads.emplace_back([&cli, &good, i] {
                for (int j = 0; j < 5; ++j)
                    if (cli.run({QString::number(i)}) == "same\n"_L1)
                        ++good;
            });
        }
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
        QTest::newRow("set") << std::optional<QByteArray>("/home/u/bin:/usr/bin"_ba)
                             << kFixed + ":/home/u/bin:/usr/bin"_L1;
    }

    // The real child's PATH, as the fake records it, for each state of the parent's PATH.
    void childPath()
    {
        QFETCH(std::optional<QByteArray>, parentPath);
        QFETCH(QString, expected);
        PathGuard guard;
        FakeScenario fake;
        if (parentPath)
            qputenv("PATH", *parentPath);
        else
            qunsetenv("PATH");
        SFCLI(kFake, {}).run({u"org"_s});
        const FakeCall call = fake.calls().value(0);
        QVERIFY(call.pathSet);
        QCOMPARE(call.path, expected);
    }

    void childEnvironmentChangesOnlyPath()
    {
        const QByteArrayList parent{"HOME=/home/u"_ba, "PATH=/a"_ba, "LANG=C"_ba, "PATH=/second"_ba,
                                    "PATHEXT=x"_ba};
        QCOMPARE(SFCLI::childEnvironment(parent),
                 (QByteArrayList{"HOME=/home/u"_ba, "PATH="_ba + SFCLI::fixedSearchPath() + ":/a"_ba,
                                 "LANG=C"_ba, "PATHEXT=x"_ba}));
    }

    // With the fallback chosen, `sf` is looked up by env on the child's PATH: found after the
    // fixed directories, or env's own error when it is nowhere.
    void envFallback()
    {
        if (sfInFixedDirectories())
            QSKIP("an sf is installed in a fixed directory; the fallback cannot be observed here");
        PathGuard guard;
        FakeScenario fake;
        QTemporaryDir bin;
        QVERIFY(QFile::link(kFake, bin.filePath(u"sf"_s)));
        const SFCLI::Location location = SFCLI::locate({bin.filePath(u"nothing-here"_s)});
        QCOMPARE(location, (SFCLI::Location{u"/usr/bin/env"_s, {u"sf"_s}}));
        const SFCLI cli(location);

        qputenv("PATH", QFile::encodeName(bin.path()));
        QCOMPARE(cli.run({u"org"_s, u"list"_s}), QString());
        QCOMPARE(fake.calls().value(0).path, kFixed + u':' + bin.path());
        QCOMPARE(fake.calls().value(0).args, (QStringList{u"org"_s, u"list"_s}));

        qputenv("PATH", ""_ba);
        const auto error = failureOf(cli, {u"org"_s, u"list"_s});
        QVERIFY(error);
        QCOMPARE(error->kind(), AppError::Kind::commandFailed);
        QVERIFY2(error->errorDescription().contains(u"sf"_s)
                     && error->errorDescription().contains(u"No such file or directory"_s),
                 qPrintable(error->errorDescription()));
        QCOMPARE(fake.calls().size(), 1);
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
        PathGuard guard;
        FakeScenario fake;
        QTemporaryDir dir;
        for (const char *folder : {"vm/bin", "vm/lib", "own/bin", "own/libexec"})
            QVERIFY(QDir(dir.path()).mkpath(QString::fromLatin1(folder)));
        const QString vm = dir.filePath(u"vm/bin"_s), own = dir.filePath(u"own"_s);
        const QByteArray node = "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$PATH\"\n"_ba;
        QVERIFY(writeScript(vm + "/node"_L1, node) && writeScript(own + "/libexec/node"_L1, node));
        QVERIFY(writeScript(own + "/bin/sf"_L1,
                            "#!/bin/sh\nexec \"${0%/bin/sf}/libexec/node\" \"$@\"\n"));
        QVERIFY(writeScript(dir.filePath(u"vm/lib/run.js"_s),
                            "#!/usr/bin/env -S node --no-deprecation\n"));
        if (layout == "script"_L1)
            QVERIFY(writeScript(vm + "/sf"_L1, "#!/usr/bin/env node\n"));
        else if (layout == "native"_L1)
            QVERIFY(QFile::copy(kFake, vm + "/sf"_L1));
        else
            QCOMPARE(::symlink("../lib/run.js", QFile::encodeName(vm + "/sf"_L1).constData()), 0);
        QVERIFY(QFile::link(vm + "/sf"_L1, dir.filePath(u"sf"_s)));

        QByteArray parentPath = "/usr/bin:/bin"_ba;
        SFCLI::Location location{dir.filePath(u"sf"_s), {}};
        QString ran = vm + "/node\n"_L1 + vm + u':';
        if (onPath) {
            parentPath.prepend(QFile::encodeName(vm) + ':');
            location = SFCLI::locate({});
        } else if (layout == "wrapper"_L1) {
            location = {own + "/bin/sf"_L1, {}};
            ran = own + "/libexec/node\n"_L1;
        } else if (layout == "native"_L1) {
            location = {vm + "/sf"_L1, {}};
        }
        qputenv("PATH", parentPath);
        const QString output = SFCLI(location).run({u"org"_s});
        const QString childPath = kFixed + u':' + QString::fromLocal8Bit(parentPath);
        if (layout == "native"_L1)
            QCOMPARE(fake.calls().value(0).path, childPath);
        else
            QCOMPARE(output, ran + childPath + u'\n');
    }

    void locate_data()
    {
        QTest::addColumn<QStringList>("first"); // what stands at the first fixed path
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<int>("expected"); // 0, 1, or -1 for the env fallback
        QTest::newRow("both executable: the first") << QStringList{u"exe"_s} << QStringList{u"exe"_s} << 0;
        QTest::newRow("first not executable") << QStringList{u"plain"_s} << QStringList{u"exe"_s} << 1;
        QTest::newRow("first a directory") << QStringList{u"dir"_s} << QStringList{u"exe"_s} << 1;
        QTest::newRow("first missing") << QStringList{} << QStringList{u"exe"_s} << 1;
        QTest::newRow("neither") << QStringList{u"plain"_s} << QStringList{} << -1;
    }

    void locate()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QStringList paths{dir.filePath(u"a/sf"_s), dir.filePath(u"b/sf"_s)};
        const QList<QStringList> kinds{first, second};
        for (int i = 0; i < 2; ++i) {
            QVERIFY(QDir().mkpath(QFileInfo(paths[i]).path()));
            const QString kind = kinds[i].value(0);
            if (kind == "dir"_L1) {
                QVERIFY(QDir().mkpath(paths[i]));
            } else if (!kind.isEmpty()) {
                QVERIFY(QFile::copy(kFake, paths[i]));
                QFile::setPermissions(paths[i], kind == "exe"_L1
                                                    ? QFile::ReadOwner | QFile::ExeOwner
                                                    : QFile::ReadOwner | QFile::WriteOwner);
            }
        }
        const SFCLI::Location location = SFCLI::locate(paths);
        if (expected < 0)
            QCOMPARE(location, (SFCLI::Location{u"/usr/bin/env"_s, {u"sf"_s}}));
        else
            QCOMPARE(location, (SFCLI::Location{paths[expected], {}}));
    }
};

QTEST_GUILESS_MAIN(TestRunner)
#include "tst_runner.moc"
