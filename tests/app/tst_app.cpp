// The process entry: the self-test run end to end as a user's script runs it (the built binary,
// the fake `sf` found on PATH, no display at all), and starting without a usable display.
#include "BrightcairnApp.h"
#include "FakeScenario.h"
#include "SFCLI.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray fixture(const QString &name)
{
    QFile f(QStringLiteral(TARNWICK_FIXTURES_DIR) + "/sf-cli/"_L1 + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(f.fileName()));
    return f.readAll();
}

QByteArray orgEntry(int i, bool connected)
{
    return "{\"username\":\"user"_ba + QByteArray::number(i) + "@example.com\",\"instanceUrl\":"
           "\"https://org"_ba + QByteArray::number(i) + ".my.salesforce.com\",\"alias\":\"org"_ba
        + QByteArray::number(i) + "\",\"accessToken\":\"[REDACTED]\",\"lastUsed\":\"2026-12-06\","
           "\"connectedStatus\":\""_ba + (connected ? "Connected"_ba : "ENOTFOUND"_ba) + "\"}"_ba;
}

QByteArray orgList(int count, int connected)
{
    QByteArrayList entries;
    for (int i = 0; i < count; ++i)
        entries.append(orgEntry(i, i < connected));
    return "{\"status\":0,\"result\":{\"other\":["_ba + entries.join(',') + "]},\"warnings\":[]}"_ba;
}

struct Run
{
    int exitCode = -1;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    QByteArray out, err;
};

// The built binary in a bare environment: no display variables, a scratch HOME, and a PATH that
// holds only `pathDirectory`.
Run runTarnwick(const QStringList &arguments, const QString &pathDirectory, const QString &home,
                const QStringList &extraEnvironment = {})
{
    QProcess process;
    QStringList environment{"PATH="_L1 + pathDirectory, "HOME="_L1 + home, u"LANG=C.UTF-8"_s,
                            "FAKE_SF_SCENARIO="_L1 + qEnvironmentVariable("FAKE_SF_SCENARIO")};
    environment += extraEnvironment;
    process.setEnvironment(environment);
    process.start(QStringLiteral(TARNWICK_BINARY), arguments);
    Run run;
    if (!process.waitForFinished(90'000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.exitStatus = process.exitStatus();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

bool sfInstalledWhereTheLocatorLooks()
{
    for (const QByteArray &dir : SFCLI::fixedSearchPath().split(':'))
        if (QFileInfo::exists(QString::fromLocal8Bit(dir) + "/sf"_L1))
            return true;
    return false;
}

} // namespace

class TestApp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wantsSelfTest_data()
    {
        QTest::addColumn<QList<QByteArray>>("argv");
        QTest::addColumn<bool>("expected");
        using L = QList<QByteArray>;
        QTest::newRow("alone") << L{"tarnwick", "--self-test"} << true;
        QTest::newRow("among others") << L{"tarnwick", "-x", "--self-test", "y"} << true;
        QTest::newRow("as the program path") << L{"--self-test"} << true;
        QTest::newRow("prefix only") << L{"tarnwick", "--self-testing"} << false;
        QTest::newRow("with a value") << L{"tarnwick", "--self-test=1"} << false;
        QTest::newRow("other case") << L{"tarnwick", "--Self-Test"} << false;
        QTest::newRow("one hyphen") << L{"tarnwick", "-self-test"} << false;
        QTest::newRow("no hyphen") << L{"tarnwick", "self-test"} << false;
        QTest::newRow("padded") << L{"tarnwick", " --self-test"} << false;
        QTest::newRow("none") << L{"tarnwick"} << false;
    }

    void wantsSelfTest()
    {
        QFETCH(QList<QByteArray>, argv);
        QFETCH(bool, expected);
        std::vector<const char *> pointers;
        for (const QByteArray &a : argv)
            pointers.push_back(a.constData());
        QCOMPARE(BrightcairnApp::wantsSelfTest(static_cast<int>(pointers.size()), pointers.data()),
                 expected);
    }

    void displayAvailable_data()
    {
        QTest::addColumn<QByteArrayList>("environment");
        QTest::addColumn<bool>("expected");
        QTest::newRow("nothing") << QByteArrayList{"HOME=/h"} << false;
        QTest::newRow("empty DISPLAY") << QByteArrayList{"DISPLAY="} << false;
        QTest::newRow("X11") << QByteArrayList{"DISPLAY=:0"} << true;
        QTest::newRow("Wayland") << QByteArrayList{"WAYLAND_DISPLAY=wayland-0"} << true;
        QTest::newRow("offscreen chosen") << QByteArrayList{"QT_QPA_PLATFORM=offscreen"} << true;
        QTest::newRow("xcb chosen, no DISPLAY")
            << QByteArrayList{"QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY=w"} << false;
        QTest::newRow("wayland chosen, no socket")
            << QByteArrayList{"QT_QPA_PLATFORM=wayland", "DISPLAY=:0"} << false;
        QTest::newRow("DISPLAYX is not DISPLAY") << QByteArrayList{"DISPLAYX=:0"} << false;
    }

    void displayAvailable()
    {
#if defined(__APPLE__)
        QSKIP("macOS always has its window server");
#endif
        QFETCH(QByteArrayList, environment);
        QFETCH(bool, expected);
        QCOMPARE(BrightcairnApp::displayAvailable(environment), expected);
    }

    void selfTest_data()
    {
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("exitCode");

        const QStringList plain{u"--self-test"_s};
        QTest::newRow("several orgs, some connected")
            << orgList(3, 2) << 0 << ""_ba << plain << "SELFTEST OK: loaded 3 orgs, 2 connected."_ba << 0;
        QTest::newRow("one org, not connected")
            << orgList(1, 0) << 0 << ""_ba << plain << "SELFTEST OK: loaded 1 orgs, 0 connected."_ba << 0;
        QTest::newRow("real output, none connected")
            << fixture(u"org-list-three-orgs.json"_s) << 0 << "warning\n"_ba
            << QStringList{u"-v"_s, u"--self-test"_s, u"--other"_s}
            << "SELFTEST OK: loaded 3 orgs, 0 connected."_ba << 0;
        QTest::newRow("one org in two categories counts twice")
            << "{\"status\":0,\"result\":{\"other\":["_ba + orgEntry(1, true) + "],\"devHubs\":["_ba
                   + orgEntry(1, true) + "],\"scratchOrgs\":[{\"username\":\"no-url\"}]}}"_ba
            << 0 << ""_ba << plain << "SELFTEST OK: loaded 2 orgs, 2 connected."_ba << 0;
        QTest::newRow("several megabytes")
            << orgList(20'000, 5'000) << 0 << ""_ba << plain
            << "SELFTEST OK: loaded 20000 orgs, 5000 connected."_ba << 0;
        QTest::newRow("no orgs") << fixture(u"org-list-empty-home.json"_s) << 0 << ""_ba << plain
                                 << "SELFTEST FAIL: sf org list returned no orgs."_ba << 1;
        const QByteArray jsonError = fixture(u"org-open-unknown-target.json"_s);
        QTest::newRow("non-zero exit, JSON error on stdout")
            << jsonError << 2 << ""_ba << plain << "SELFTEST FAIL: "_ba + jsonError.trimmed() << 1;
        QTest::newRow("non-zero exit, stderr")
            << ""_ba << 1 << "Error (InvalidProjectWorkspaceError): nope\n\n"_ba << plain
            << "SELFTEST FAIL: Error (InvalidProjectWorkspaceError): nope"_ba << 1;
        QTest::newRow("wrong JSON type")
            << "{\"status\":0,\"result\":{\"other\":[{\"username\":\"u\",\"instanceUrl\":\"i\",\"isSandbox\":\"true\"}]}}"_ba
            << 0 << ""_ba << plain
            << "SELFTEST FAIL: Unexpected org list from sf: result.other[0].isSandbox: expected a boolean or null, found a string."_ba
            << 1;
        QTest::newRow("not JSON") << "Welcome to sf\n"_ba << 0 << ""_ba << plain
                                  << "SELFTEST FAIL: Unexpected org list from sf: not valid JSON"_ba << 1;
    }

    void selfTest()
    {
        QFETCH(QByteArray, out);
        QFETCH(int, status);
        QFETCH(QByteArray, err);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, line);
        QFETCH(int, exitCode);
        if (sfInstalledWhereTheLocatorLooks())
            QSKIP("an sf in /opt/homebrew/bin, /usr/local/bin or /usr/bin would be found first");

        FakeScenario fake;
        fake.answer(u"org_list"_s, out, status, err);
        QTemporaryDir bin, home;
        QVERIFY(QFile::link(QStringLiteral(FAKE_SF_PATH), bin.filePath(u"sf"_s)));
        const Run run = runTarnwick(arguments, bin.path(), home.path());

        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.err, QByteArray());
        QVERIFY(run.out.endsWith('\n'));
        QCOMPARE(run.out.count('\n'), line.count('\n') + 1);
        QVERIFY2(run.out.startsWith(line), run.out.constData());
        if (!line.endsWith("not valid JSON"))
            QCOMPARE(run.out, line + '\n');

        const QList<FakeCall> calls = fake.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].args, (QStringList{u"org"_s, u"list"_s, u"--json"_s}));
        QCOMPARE(calls[0].path, QString::fromLatin1(SFCLI::fixedSearchPath()) + u':' + bin.path());
        QCOMPARE(calls[0].home, home.path());
    }

    void selfTestWithoutAnySf()
    {
        if (sfInstalledWhereTheLocatorLooks())
            QSKIP("an sf is installed where the locator looks");
        QTemporaryDir emptyBin, home;
        const Run run = runTarnwick({u"--self-test"_s}, emptyBin.path(), home.path());
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray());
        // env's own message, carried unchanged
        QVERIFY2(run.out.startsWith("SELFTEST FAIL: ") && run.out.contains("sf")
                     && run.out.contains("No such file or directory"),
                 run.out.constData());
    }

    void windowWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::newRow("no display variables") << QStringList{};
        QTest::newRow("unreachable X server") << QStringList{u"DISPLAY=:93"_s};
    }

    void windowWithoutDisplay()
    {
#if defined(__APPLE__)
        QSKIP("macOS always has its window server");
#endif
        QFETCH(QStringList, environment);
        QTemporaryDir bin, home;
        const Run run = runTarnwick({u"--self-testing"_s}, bin.path(), home.path(), environment);
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err.count('\n'), 1);
        QVERIFY2(run.err.startsWith("tarnwick: cannot open a window: no usable display."),
                 run.err.constData());
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("--help") << QStringList{u"--help"_s} << "Usage: tarnwick [options]\n"_ba;
        QTest::newRow("-h among others") << QStringList{u"-x"_s, u"-h"_s} << "Usage: tarnwick"_ba;
        QTest::newRow("--version") << QStringList{u"--version"_s} << "tarnwick " TARNWICK_VERSION "\n"_ba;
        QTest::newRow("the self-test wins") << QStringList{u"--help"_s, u"--self-test"_s} << "SELFTEST "_ba;
    }

    // Standard output, status 0, no display needed, nothing on standard error.
    void helpAndVersion()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, start);
        QTemporaryDir bin, home;
        const Run run = runTarnwick(arguments, bin.path(), home.path());
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QVERIFY2(run.out.startsWith(start), run.out.constData());
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, start.startsWith("SELFTEST") ? 1 : 0);
    }

    // A request to end the process ends it as a quit does, without a question: the CLI command
    // that runs gets its time to finish, and no child is left behind.
    void quitSignals_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void quitSignals()
    {
        QFETCH(int, signal);
        if (sfInstalledWhereTheLocatorLooks())
            QSKIP("an sf in /opt/homebrew/bin or /usr/local/bin would be found first");
        FakeScenario fake;
        fake.answer(u"org_list"_s, orgList(1, 1));
        fake.set(u"org_list"_s, u"delay"_s, "1"_ba);
        QTemporaryDir bin, home;
        QVERIFY(QFile::link(QStringLiteral(FAKE_SF_PATH), bin.filePath(u"sf"_s)));
        QProcess process;
        process.setEnvironment({"PATH="_L1 + bin.path(), "HOME="_L1 + home.path(), u"QT_QPA_PLATFORM=offscreen"_s,
                                "FAKE_SF_SCENARIO="_L1 + qEnvironmentVariable("FAKE_SF_SCENARIO")});
        process.start(QStringLiteral(TARNWICK_BINARY), {});
        QTRY_COMPARE(fake.calls().size(), 1);
        ::kill(static_cast<pid_t>(process.processId()), signal);
        QVERIFY(process.waitForFinished(30'000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(::kill(static_cast<pid_t>(fake.calls()[0].pid), 0) != 0);
    }

    // A program without its window module says so in one line instead of crashing.
    void missingWindowModule()
    {
        QTemporaryDir dir, home;
        const QString copy = dir.filePath(u"tarnwick"_s);
        QVERIFY(QFile::copy(QStringLiteral(TARNWICK_BINARY), copy));
        QProcess process;
        process.setEnvironment({"HOME="_L1 + home.path(), u"QT_QPA_PLATFORM=offscreen"_s});
        process.start(copy, {});
        QVERIFY(process.waitForFinished(30'000));
        QCOMPARE(process.exitCode(), 1);
        const QByteArray err = process.readAllStandardError();
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("tarnwick: cannot open a window: its window module is missing"),
                 err.constData());
    }
};

QTEST_GUILESS_MAIN(TestApp)
#include "tst_app.moc"
