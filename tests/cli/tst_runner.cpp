// The runner and the locator against real child processes: the fake `sf`, /usr/bin/env, and
// files that cannot be started.
#include "FakeScenario.h"
#include "StopSignal.h"

#include <QElapsedTimer>

#include <cerrno>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

const QByteArray kPath = qgetenv("PATH");
const QString kFixed = QString::fromLatin1(SFCLI::fixedSearchPath());
const QString kOwnName = u"sf-tst-runner"_s; // what `env` looks for: no sf installed here bears it
const QString kNotFound = u"!Salesforce CLI was not found. Install it or make sure /opt/homebrew/bin/sf exists."_s;
const QString kTimedOut = u"!Salesforce CLI command timed out."_s;
const QByteArray kLine = QByteArray(1023, 'x') + '\n';
const QByteArray kErrors = 'x' + QByteArray("é").repeated(2 << 20) + " end!"; // its first and last MiB end inside characters

// "=" and the output, or "!" and the failure's text.
QString outcome(const SFCLI &cli, const QStringList &args = {u"org"_s}, double timeout = 30)
{
    QString out;
    const std::optional<AppError> error = failureOf([&] { out = u'=' + cli.run(args, timeout); });
    return error ? u'!' + error->description() : out;
}

// Far more than a pipe holds on both streams: `mib` MiB on stdout, 4 MiB on stderr.
QByteArrayList large(int mib, bool stderrFirst, int status = 0)
{
    return {"stdout=" + kLine, "repeat=" + QByteArray::number(mib * 1024), "stderr=" + kErrors, "status=" + QByteArray::number(status),
            stderrFirst ? "stderr-first=" : "none="};
}

// At `path`: 'x' a script whose interpreter is missing, 's' a script that runs the fake, 'p' a
// plain file, 'l' a link to ../vm/bin/sf, 'r' a link to ../lib/run.js, '-' nothing.
void place(const QString &path, char kind)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    const QByteArray script = kind == 's' ? "#!/bin/sh\nexec '" + QFile::encodeName(kFake) + "' \"$@\"\n" : "#!/nonexistent/sh\n"_ba;
    if (kind == 'x' || kind == 's' || kind == 'p')
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(script) == script.size());
    if (kind == 'x' || kind == 's')
        QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner));
    if (kind == 'l')
        QVERIFY(QFile::link(QDir::cleanPath(QFileInfo(path).path() + "/../vm/bin/sf"_L1), path));
    if (kind == 'r')
        QCOMPARE(::symlink("../lib/run.js", QFile::encodeName(path).constData()), 0);
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
        qputenv("PATH", kPath);
    }

    void argumentsPassedOneEach()
    {
        FakeScenario fake;
        const QStringList args{u"my org; rm -rf ~"_s, u"$(whoami) `id` \"q\" 'q'"_s, u""_s, u"Zoë 東京 ✓"_s, u"*"_s};
        const SFCLI cli(kFake, {u"--base"_s});
        cli.run(args);
        QCOMPARE(fake.calls().value(0).args, QStringList{u"--base"_s} + args);
        // A C argument ends at the first NUL: refused before anything runs.
        QCOMPARE(outcome(cli, {u"org"_s, u"acme\0other"_s}),
                 u"!A Salesforce CLI argument contains a NUL character and was not passed on."_s);
        QCOMPARE(fake.calls().size(), 1);
    }

    void run_data()
    {
        QTest::addColumn<QByteArrayList>("files"); // of the fake's answer, as "name=content"
        QTest::addColumn<double>("limit");
        QTest::addColumn<int>("stop"); // 1 while it runs, 2 before the start
        QTest::addColumn<qsizetype>("cap"); // per stream
        QTest::addColumn<int>("terminated"); // children that got the termination request
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *tag, const QByteArrayList &files, const QString &outcome, int terminated = 0,
                            double limit = 30, int stop = 0, int capMiB = 512) {
            QTest::newRow(tag) << files << limit << stop << qsizetype(capMiB) * (1 << 20) << terminated << outcome;
        };
        // Colours as the real CLI prints them when CI=true or FORCE_COLOR is set, and a link.
        row("stderr wins, as plain text", {"stdout=ignored", "status=1", "stderr=\n  \x1b[1m\x1b[31mError (X):\x1b[39m\x1b[22m Zoë ✓\n"
            "see \x1b]8;;https://x.io\x07" "docs\x1b]8;;\x07 \x1b \n\n"}, u"!Error (X): Zoë ✓\nsee docs"_s);
        row("blank stderr, stdout", {"stdout= out \n", "stderr= \t\n", "status=1"}, u"!out"_s);
        row("killed by a signal", {"stdout=partial", "stderr=dying\n", "signal=9"}, u"!dying\nThe Salesforce CLI was ended by signal 9 (Killed)."_s);
        row("killed, silent", {"signal=15"}, u"!The Salesforce CLI was ended by signal 15 (Terminated) and printed nothing."_s);
        // A grandchild that inherited the pipes (a browser the CLI started) keeps them open for a
        // minute; the run still ends with the CLI itself.
        row("output exactly, a grandchild holds the pipes", {"stdout=first line\n  second  \n", "stderr=a warning\n", "grandchild=60"},
            u"=first line\n  second  \n"_s);

        // Past the limit or on a stop from another thread the child gets the termination
        // request, then the kill, the child's whole process group with it; a stop before the
        // start runs nothing. The limit lets a slow machine's fake set its handlers first.
        row("time-out", {"delay=60", "grandchild=60"}, kTimedOut, 1, 3);
        row("time-out, termination ignored", {"delay=60", "ignore-term=", "grandchild=60"}, kTimedOut, 0, 3);
        row("stop", {"delay=60"}, u"stopped"_s, 1, 60, 1);
        row("stop before the start", {"delay=60"}, u"stopped"_s, 0, 60, 2);

        // Both streams are read as they come; past the cap the child is ended. A long failure
        // keeps its first and last MiB, cut between characters.
        row("stderr first, failure", large(6, true, 1),
            "!x"_L1 + QString(524287, u'é') + "\n[... 2.00 MiB left out ...]\n"_L1 + QString(524285, u'é') + " end!"_L1, 0, 60);
        row("output without end", large(1'000'000, false), u"!Salesforce CLI printed more than 5 MiB; the command was stopped."_s, 1, 60, 0, 5);
    }

    void run()
    {
        QFETCH(QByteArrayList, files);
        QFETCH(double, limit);
        QFETCH(int, stop);
        QFETCH(qsizetype, cap);
        QFETCH(int, terminated);
        QFETCH(QString, outcome);
        FakeScenario fake;
        for (const QByteArray &file : files)
            fake.set({}, QString::fromLatin1(file.first(file.indexOf('='))), file.sliced(file.indexOf('=') + 1));
        SFCLI cli(kFake, {});
        cli.setKillGrace(std::chrono::milliseconds(300));
        cli.setOutputCap(cap);
        StopSignal signal;
        if (stop == 2)
            signal.request();
        std::thread stopper([&] {
            for (int i = 0; stop == 1 && i < 1000 && fake.calls().isEmpty(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (stop == 1)
                signal.request();
        });
        QElapsedTimer clock;
        clock.start();
        QString result;
        try {
            const StopSignal::Scope scope(&signal);
            result = ::outcome(cli, {u"org"_s}, limit);
        } catch (const Stopped &) {
            result = u"stopped"_s;
        }
        stopper.join();
        QCOMPARE(result, outcome);
        QVERIFY(clock.elapsed() < 20'000); // the kill follows a short grace
        QVERIFY(fake.allEnded() && (stop != 2 || fake.calls().isEmpty()));
        QCOMPARE(fake.pids(u"terminated.pid"_s).size(), terminated);
        QCOMPARE(fake.pids(u"grandchild.pid"_s).size(), files.count("grandchild=60"));
        for (const FakeCall &call : fake.calls()) // none of its group lives on, once init reaps orphans
            QTRY_VERIFY(outcome.startsWith(u'=') || (::kill(-pid_t(call.pid), 0) == -1 && errno == ESRCH));
    }

    void start_data()
    {
        QTest::addColumn<QByteArray>("kinds"); // at the fixed paths a/sf, b/sf, and at vm/bin/sf
        QTest::addColumn<QString>("parentPath"); // "-" for none; "@" stands for vm/bin
        QTest::addColumn<QString>("expected"); // the child's PATH, or "!" and part of the failure
        const QString fixed = kFixed + u':', node = u"@:"_s + fixed;
        // The first executable file at the fixed paths is started, else `env sf`. A script whose
        // interpreter is missing counts, and cannot start.
        QTest::newRow("first executable") << "xss"_ba << u"/bin"_s << kNotFound;
        QTest::newRow("first not executable") << "pss"_ba << u"/u:/bin"_s << fixed + "/u:/bin"_L1;
        QTest::newRow("first missing, no PATH") << "-ss"_ba << u"-"_s << kFixed;
        // `env sf` finds it after the fixed folders, or fails with its own error.
        QTest::newRow("neither, nowhere") << "--s"_ba << u""_s << u"!is not installed: it is not at /opt/homebrew/bin/sf or /usr/local/bin/sf, "
                                                                 "nor on the search path. Install it with npm"_s;
        // The CLI's own Node goes first when the CLI is a link or a script beside it, or one of
        // the links to it passes through its folder.
        QTest::newRow("npm link on PATH") << "--r"_ba << u"@"_s << node + u'@';
        QTest::newRow("linked into a fixed folder") << "l-r"_ba << u"/bin"_s << node + "/bin"_L1;
        QTest::newRow("wrapper without a Node") << "s-r"_ba << u"/bin"_s << fixed + "/bin"_L1;
    }

    // Which `sf` is started, and the real child's PATH as the fake records it; the rest of the
    // environment unchanged.
    void start()
    {
        QFETCH(QByteArray, kinds);
        QFETCH(QString, parentPath);
        QFETCH(QString, expected);
        FakeScenario fake;
        QTemporaryDir dir;
        const QString bin = dir.filePath(u"vm/bin"_s);
        const QStringList paths{dir.filePath(u"a/sf"_s), dir.filePath(u"b/sf"_s)};
        place(bin + "/node"_L1, 'x');
        place(dir.filePath(u"vm/lib/run.js"_s), 's');
        place(bin + "/sf"_L1, kinds[2]);
        place(bin + u'/' + kOwnName, kinds[2]);
        place(paths[0], kinds[0]);
        place(paths[1], kinds[1]);
        SFCLI::Location location = SFCLI::locate(paths);
        if (location == SFCLI::Location{u"/usr/bin/env"_s, {u"sf"_s}})
            location.baseArguments = {kOwnName};
        if (parentPath == "-"_L1)
            qunsetenv("PATH");
        else
            qputenv("PATH", QFile::encodeName(parentPath.replace(u'@', bin)));
        const QString result = outcome(SFCLI(location));
        const QString seen = fake.calls().isEmpty() ? result : fake.calls()[0].path;
        QVERIFY2(expected.startsWith(u'!') ? seen.contains(expected.mid(1)) : seen == expected.replace(u'@', bin), qPrintable(seen));
        // A native program beside a Node has no use for it.
        QVERIFY(QFile::copy(u"/usr/bin/env"_s, bin + "/native"_L1));
        QCOMPARE(SFCLI::childEnvironment({"PATH=/a"}, {bin + "/native"_L1, {}}),
                 QByteArrayList{"PATH=" + SFCLI::fixedSearchPath() + ":/a"});
        const QByteArrayList parent{"HOME=/h", "PATH=/a", "LANG=C", "PATH=/second", "PATHEXT=x"};
        QCOMPARE(SFCLI::childEnvironment(parent),
                 (QByteArrayList{"HOME=/h", "PATH=" + SFCLI::fixedSearchPath() + ":/a", "LANG=C",
                                 "PATHEXT=x"}));
    }
};

QTEST_GUILESS_MAIN(TestRunner)
#include "tst_runner.moc"
