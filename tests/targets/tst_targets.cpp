// Open targets against a temporary machine: Chrome candidates and "Local State" under a temporary
// root, the fake Chrome started for real, the system browser recorded.
#include "ChromeProfiles.h"
#include "OpenTarget.h"
#include "TargetEnvironment.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>

using namespace Qt::Literals::StringLiterals;

// Readable failures from QCOMPARE.
char *toString(const OpenTarget &t)
{
    const QString directory = t.chromeProfileDirectory ? u'"' + *t.chromeProfileDirectory + u'"'
                                                       : u"absent"_s;
    return QTest::toString(t.id + u" | "_s + t.label + u" | "_s + directory);
}

namespace {

const QString kFakeChrome = QStringLiteral(FAKE_CHROME_PATH);

struct ChromeCall
{
    QString argv0;
    QStringList args;
    qint64 pid = 0;
};

// A machine whose every path lies under a temporary root, laid out as the platform lays it out.
class Machine
{
public:
    Machine()
    {
        QVERIFY(m_dir.isValid());
        env = TargetEnvironment::forHome(u"/home/user"_s);
        for (QString &candidate : env.chromeCandidates)
            candidate = m_dir.path() + candidate;
        env.localStatePath = m_dir.path() + env.localStatePath;
        env.openInSystemBrowser = [this](const QUrl &url) { browserCalls.append(url); };
        env.launchDetached = [this](const QString &program, const QStringList &arguments) {
            ++launches;
            TargetEnvironment::startDetached(program, arguments);
        };
        qputenv("FAKE_CHROME_LOG", QFile::encodeName(path(u"chrome.jsonl"_s)));
    }
    ~Machine() { qunsetenv("FAKE_CHROME_LOG"); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // One candidate laid out as: 'x' the fake Chrome, 'f' a file without execute permission,
    // 'd' a folder, 'g' an executable file that is no program, '-' nothing.
    void place(qsizetype candidate, char kind) const
    {
        const QString file = env.chromeCandidates.at(candidate);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        if (kind == 'x')
            QVERIFY(QFile::link(kFakeChrome, file));
        if (kind == 'd')
            QVERIFY(QDir().mkpath(file));
        if (kind == 'f' || kind == 'g')
            write(file, "not a program\n\x01\x02"_ba);
        if (kind == 'g')
            QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    static void write(const QString &file, const QByteArray &content)
    {
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(content), content.size());
    }

    // Complete lines only: the fake may be writing while the test looks.
    QList<ChromeCall> chromeCalls() const
    {
        QList<ChromeCall> calls;
        QFile f(path(u"chrome.jsonl"_s));
        if (!f.open(QIODevice::ReadOnly))
            return calls;
        QByteArrayList lines = f.readAll().split('\n');
        lines.removeLast();
        for (const QByteArray &line : std::as_const(lines)) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            ChromeCall call{o.value("argv0"_L1).toString(), {}, o.value("pid"_L1).toInteger()};
            for (const QJsonValue &a : o.value("args"_L1).toArray())
                call.args.append(a.toString());
            calls.append(call);
        }
        return calls;
    }

    TargetEnvironment env;
    QList<QUrl> browserCalls;
    int launches = 0;

private:
    QTemporaryDir m_dir;
};

QStringList describe(const QList<OpenTarget> &targets)
{
    QStringList lines;
    for (const OpenTarget &t : targets)
        lines.append(t.id + u'|' + t.label);
    return lines;
}

const QStringList kBase{u"system|System default"_s, u"chrome-default|Chrome default"_s};

const QByteArray kThreeProfiles = R"({"profile": {"info_cache": {
    "Default": {"name": "Person 1"}, "Profile 2": {"name": "work"}, "Profile 3": {"name": "alpha"}
}}})"_ba;

template<typename Error>
std::optional<Error> failureOf(const OpenTarget &target, const QUrl &url, const TargetEnvironment &env)
{
    try {
        target.open(url, env);
    } catch (const Error &error) {
        return error;
    }
    return std::nullopt;
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void catchUrl(const QUrl &url) { urls.append(url); }
};

} // namespace

class TestTargets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        // Chrome was started detached: no child of this process is left, zombie or alive.
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
        QCOMPARE(errno, ECHILD);
    }

    void constants()
    {
        const OpenTarget &system = OpenTarget::systemDefault();
        QCOMPARE(system, (OpenTarget{u"system"_s, u"System default"_s, std::nullopt}));
        QCOMPARE(OpenTarget::chromeDefault(),
                 (OpenTarget{u"chrome-default"_s, u"Chrome default"_s, QString()}));
        QCOMPARE(&OpenTarget::systemDefault(), &system);
    }

    void equality_data()
    {
        QTest::addColumn<OpenTarget>("a");
        QTest::addColumn<OpenTarget>("b");
        QTest::addColumn<bool>("equal");
        const OpenTarget absent{u"x"_s, u"X"_s, std::nullopt};
        const OpenTarget empty{u"x"_s, u"X"_s, QString()};
        QTest::newRow("same") << empty << OpenTarget{u"x"_s, u"X"_s, QString()} << true;
        QTest::newRow("both absent") << absent << absent << true;
        QTest::newRow("absent vs empty") << absent << empty << false;
        QTest::newRow("empty vs named") << empty << OpenTarget{u"x"_s, u"X"_s, u"Default"_s} << false;
        QTest::newRow("id case") << OpenTarget{u"chrome-default"_s, u"X"_s, {}}
                                 << OpenTarget{u"chrome-Default"_s, u"X"_s, {}} << false;
        QTest::newRow("label") << absent << OpenTarget{u"x"_s, u"Y"_s, std::nullopt} << false;
    }

    void equality()
    {
        QFETCH(OpenTarget, a);
        QFETCH(OpenTarget, b);
        QFETCH(bool, equal);
        QCOMPARE(a == b, equal);
        QCOMPARE(qHash(a, 7) == qHash(b, 7), equal);
        QCOMPARE(QSet<OpenTarget>({a, b}).size(), equal ? 1 : 2);
    }

    void platformLayout_data()
    {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QStringList>("candidates");
        QTest::addColumn<QString>("localState");
#if defined(Q_OS_MACOS)
        const QString app = u"/Applications/Google Chrome.app/Contents/MacOS/Google Chrome"_s;
        QTest::newRow("home") << u"/xdg"_s << QStringList{app, "/Users/me"_L1 + app}
                              << u"/Users/me/Library/Application Support/Google/Chrome/Local State"_s;
#else
        const QStringList linux{u"/opt/google/chrome/chrome"_s, u"/usr/bin/google-chrome-stable"_s,
                                u"/usr/bin/google-chrome"_s};
        const QString underHome = u"/Users/me/.config/google-chrome/Local State"_s;
        QTest::newRow("xdg unset") << QString() << linux << underHome;
        QTest::newRow("xdg absolute") << u"/xdg/conf"_s << linux
                                      << u"/xdg/conf/google-chrome/Local State"_s;
        QTest::newRow("xdg relative") << u"conf"_s << linux << underHome;
#endif
    }

    void platformLayout()
    {
        QFETCH(QString, xdg);
        QFETCH(QStringList, candidates);
        QFETCH(QString, localState);
        const TargetEnvironment env = TargetEnvironment::forHome(u"/Users/me"_s, xdg);
        QCOMPARE(env.chromeCandidates, candidates);
        QCOMPARE(env.localStatePath, localState);

        const TargetEnvironment &system = TargetEnvironment::system();
        const TargetEnvironment real
            = TargetEnvironment::forHome(QDir::homePath(), qEnvironmentVariable("XDG_CONFIG_HOME"));
        QCOMPARE(system.chromeCandidates, real.chromeCandidates);
        QCOMPARE(system.localStatePath, real.localStatePath);
    }

    void chromeLocation_data()
    {
        QTest::addColumn<QByteArray>("layout");
        QTest::addColumn<int>("found");
        QTest::newRow("none") << ""_ba << -1;
        QTest::newRow("first") << "x"_ba << 0;
        QTest::newRow("second only") << "-x"_ba << 1;
        QTest::newRow("third only") << "--x"_ba << 2;
        QTest::newRow("both, first wins") << "xx"_ba << 0;
        QTest::newRow("folder skipped") << "dx"_ba << 1;
        QTest::newRow("not executable skipped") << "fx"_ba << 1;
        QTest::newRow("only unusable") << "df"_ba << -1;
    }

    void chromeLocation()
    {
        QFETCH(QByteArray, layout);
        QFETCH(int, found);
        Machine m;
        if (layout.size() > m.env.chromeCandidates.size())
            QSKIP("this platform has fewer candidates");
        for (qsizetype i = 0; i < layout.size(); ++i)
            m.place(i, layout[i]);
        // Profiles are never offered without Chrome, even when Chrome's files are there.
        Machine::write(m.env.localStatePath, kThreeProfiles);
        const QList<OpenTarget> targets = OpenTarget::loadAvailable(m.env);
        const QUrl url(u"https://example.com/"_s);

        if (found < 0) {
            QCOMPARE(targets, QList<OpenTarget>{OpenTarget::systemDefault()});
            for (const OpenTarget &t : {OpenTarget::chromeDefault(), OpenTarget{u"chrome-P"_s, u"P"_s, u"P"_s}}) {
                const auto error = failureOf<AppError>(t, url, m.env);
                QVERIFY(error);
                QCOMPARE(error->kind(), AppError::Kind::chromeNotFound);
            }
            QCOMPARE(m.launches, 0);
            return;
        }
        QCOMPARE(targets.size(), 5);
        OpenTarget::chromeDefault().open(url, m.env);
        QTRY_COMPARE(m.chromeCalls().size(), 1);
        QCOMPARE(m.chromeCalls()[0].argv0, m.env.chromeCandidates[found]);
    }

    void profiles_data()
    {
        QTest::addColumn<QByteArray>("localState"); // null: no file
        QTest::addColumn<QStringList>("profiles");
        QTest::newRow("no Local State") << QByteArray() << QStringList();
        const QStringList three{u"chrome-Profile 3|Chrome - alpha"_s,
                                u"chrome-Default|Chrome - Person 1"_s,
                                u"chrome-Profile 2|Chrome - work"_s};
        QTest::newRow("three, Default beside chrome-default") << kThreeProfiles << three;
        QTest::newRow("other keys ignored, white space padding")
            << R"( {"x": 1, "profile": {"last_used": "Default", "info_cache": {
                   "Default": {"name": "Person 1", "avatar": 3}, "Profile 2": {"name": "work"},
                   "Profile 3": {"name": "alpha"}}}}   )"_ba + QByteArray(4096, ' ') << three;
        QTest::newRow("unusable names and entries")
            << R"({"profile": {"info_cache": {"A": {"name": ""}, "B": {"name": 42}, "C": {},
                   "D": "text", "E": [1], "F": null, "G": {"name": null}, "H": {"name": {}}}}})"_ba
            << QStringList{u"chrome-A|Chrome - A"_s, u"chrome-B|Chrome - B"_s, u"chrome-C|Chrome - C"_s,
                           u"chrome-D|Chrome - D"_s, u"chrome-E|Chrome - E"_s, u"chrome-F|Chrome - F"_s,
                           u"chrome-G|Chrome - G"_s, u"chrome-H|Chrome - H"_s};
        QTest::newRow("alpha before Beta")
            << R"({"profile": {"info_cache": {"P1": {"name": "Beta"}, "P2": {"name": "alpha"}}}})"_ba
            << QStringList{u"chrome-P2|Chrome - alpha"_s, u"chrome-P1|Chrome - Beta"_s};
        QTest::newRow("space and non-ASCII kept as written")
            << R"({"profile": {"info_cache": {"Profile 7": {"name": "Home"},
                   "Профиль 1": {"name": "Zoë 東京"}, "Default": {}}}})"_ba
            << QStringList{u"chrome-Default|Chrome - Default"_s, u"chrome-Profile 7|Chrome - Home"_s,
                           u"chrome-Профиль 1|Chrome - Zoë 東京"_s};
        QTest::newRow("empty info_cache") << R"({"profile": {"info_cache": {}}})"_ba << QStringList();
        QTest::newRow("empty file") << ""_ba << QStringList();
        QTest::newRow("not JSON") << R"({"profile": {"info_cache": {"A": {}})"_ba << QStringList();
        QTest::newRow("invalid UTF-8") << "{\"profile\": \"\xff\xfe\"}"_ba << QStringList();
        QTest::newRow("not an object") << R"([{"profile": {"info_cache": {"A": {}}}}])"_ba
                                       << QStringList();
        QTest::newRow("no profile") << R"({"info_cache": {"A": {}}})"_ba << QStringList();
        QTest::newRow("profile not an object") << R"({"profile": [{"info_cache": {}}]})"_ba
                                               << QStringList();
        QTest::newRow("no info_cache") << R"({"profile": {"A": {}}})"_ba << QStringList();
        QTest::newRow("info_cache not an object") << R"({"profile": {"info_cache": ["A"]}})"_ba
                                                  << QStringList();
    }

    void profiles()
    {
        QFETCH(QByteArray, localState);
        QFETCH(QStringList, profiles);
        Machine m;
        m.place(0, 'x');
        if (!localState.isNull())
            Machine::write(m.env.localStatePath, localState);
        const QList<OpenTarget> targets = OpenTarget::loadAvailable(m.env);
        QCOMPARE(describe(targets), kBase + profiles);
        QCOMPARE(targets[0], OpenTarget::systemDefault());
        QCOMPARE(targets[1], OpenTarget::chromeDefault());
        for (const OpenTarget &t : targets.mid(2))
            QCOMPARE(t.chromeProfileDirectory, std::optional(t.id.mid(7)));
    }

    void unreadableLocalState_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::newRow("folder in its place") << "folder"_ba;
        QTest::newRow("dangling link") << "dangling"_ba;
        QTest::newRow("named pipe") << "fifo"_ba;
        QTest::newRow("valid but oversized") << "huge"_ba;
    }

    void unreadableLocalState()
    {
        QFETCH(QByteArray, kind);
        Machine m;
        m.place(0, 'x');
        const QString file = m.env.localStatePath;
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        if (kind == "folder")
            QVERIFY(QDir().mkpath(file));
        if (kind == "dangling")
            QVERIFY(QFile::link(m.path(u"gone"_s), file));
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        if (kind == "huge")
            Machine::write(file, kThreeProfiles.leftJustified(ChromeProfiles::kMaxLocalStateBytes + 1));
        QCOMPARE(describe(OpenTarget::loadAvailable(m.env)), kBase);
    }

    void sortFollowsLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("sorted");
        // Without collation rules letters compare by code point once case is folded.
        QTest::newRow("C") << QLocale::c() << QStringList{u"alpha"_s, u"Beta"_s, u"zoë"_s, u"Émile"_s};
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << QStringList{u"alpha"_s, u"Beta"_s, u"Émile"_s, u"zoë"_s};
    }

    void sortFollowsLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, sorted);
        const QLocale previous;
        QLocale::setDefault(locale);
        QList<OpenTarget> targets;
        for (const QString &name : {u"zoë"_s, u"Émile"_s, u"Beta"_s, u"alpha"_s})
            targets.append({name, name, name});
        ChromeProfiles::sortByLabel(targets);
        QLocale::setDefault(previous);
        QStringList labels;
        for (const OpenTarget &t : std::as_const(targets))
            labels.append(t.label);
        QCOMPARE(labels, sorted);
    }

    void chromeArguments_data()
    {
        QTest::addColumn<OpenTarget>("target");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("arguments");
        const QString frontDoor = u"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=a%2Bb&x=1"_s;
        QTest::newRow("chrome default") << OpenTarget::chromeDefault() << frontDoor
                                        << QStringList{frontDoor};
        QTest::newRow("profile with a space")
            << OpenTarget{u"chrome-Profile 2"_s, u"Chrome - work"_s, u"Profile 2"_s} << frontDoor
            << QStringList{u"--profile-directory=Profile 2"_s, frontDoor};
        QTest::newRow("non-ASCII profile")
            << OpenTarget{u"chrome-Профиль"_s, u"x"_s, u"Профиль"_s} << frontDoor
            << QStringList{u"--profile-directory=Профиль"_s, frontDoor};
        QTest::newRow("address encoded as one argument")
            << OpenTarget::chromeDefault() << u"HTTP://Example.COM/a b?q=x y\n#z"_s
            << QStringList{u"http://example.com/a%20b?q=x%20y%0A#z"_s};
    }

    void chromeArguments()
    {
        QFETCH(OpenTarget, target);
        QFETCH(QString, url);
        QFETCH(QStringList, arguments);
        Machine m;
        m.place(0, 'x');
        target.open(QUrl(url), m.env);
        QTRY_COMPARE(m.chromeCalls().size(), 1);
        QCOMPARE(m.chromeCalls()[0].args, arguments);
        QCOMPARE(m.launches, 1);
        QVERIFY(m.browserCalls.isEmpty());
    }

    void threeProfilesEndToEnd()
    {
        Machine m;
        m.place(0, 'x');
        Machine::write(m.env.localStatePath, kThreeProfiles);
        const QList<OpenTarget> targets = OpenTarget::loadAvailable(m.env);
        QCOMPARE(targets.size(), 5);
        const OpenTarget work = targets[4];
        QCOMPARE(work, (OpenTarget{u"chrome-Profile 2"_s, u"Chrome - work"_s, u"Profile 2"_s}));
        work.open(QUrl(u"https://example.com/"_s), m.env);
        QTRY_COMPARE(m.chromeCalls().size(), 1);
        QCOMPARE(m.chromeCalls()[0].args,
                 (QStringList{u"--profile-directory=Profile 2"_s, u"https://example.com/"_s}));
    }

    void chromeIsNotWaitedFor()
    {
        Machine m;
        m.place(0, 'x');
        qputenv("FAKE_CHROME_HOLD", "60");
        OpenTarget::chromeDefault().open(QUrl(u"https://example.com/"_s), m.env);
        qunsetenv("FAKE_CHROME_HOLD");
        QTRY_COMPARE(m.chromeCalls().size(), 1);
        const auto pid = static_cast<pid_t>(m.chromeCalls()[0].pid);
        const bool running = ::kill(pid, 0) == 0; // still there after open() returned
        const bool notOurs = ::waitpid(pid, nullptr, WNOHANG) == -1; // never ours to reap
        // It holds the test's output streams; CTest would wait for it.
        ::kill(pid, SIGKILL);
        QVERIFY(running);
        QVERIFY(notOurs);
    }

    void chromeThatCannotStart()
    {
        Machine m;
        m.place(0, 'g');
        QCOMPARE(OpenTarget::loadAvailable(m.env).size(), 2);
        const auto error = failureOf<ChromeLaunchError>(OpenTarget::chromeDefault(),
                                                        QUrl(u"https://example.com/"_s), m.env);
        QVERIFY(error);
        QVERIFY2(error->description().contains("Exec format error"_L1),
                 qPrintable(error->description()));
    }

    void systemTargetUsesTheBrowser()
    {
        Machine m;
        m.place(0, 'x');
        const QUrl url(u"https://acme.my.salesforce.com/"_s);
        OpenTarget::systemDefault().open(url, m.env);
        QCOMPARE(m.browserCalls, QList<QUrl>{url});
        QCOMPARE(m.launches, 0);
        QVERIFY(m.chromeCalls().isEmpty());
    }

    void systemBrowserThroughDesktopServices()
    {
        // A URL handler takes the place of the desktop's browser.
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(u"https"_s, &catcher, "catchUrl");
        Machine m;
        m.env.openInSystemBrowser = TargetEnvironment::openWithDesktopServices;
        const QUrl url(u"https://example.com/here"_s);
        OpenTarget::systemDefault().open(url, m.env);
        QCOMPARE(catcher.urls, QList<QUrl>{url});
        // From a background task it is handed to the GUI thread.
        std::thread([&] { OpenTarget::systemDefault().open(url, m.env); }).join();
        QTRY_COMPARE(catcher.urls.size(), 2);
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(m.launches, 0);
    }

    void onlyWebAddressesOpen_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("https") << u"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=x"_s << true;
        QTest::newRow("http with port") << u"http://localhost:1717/"_s << true;
        QTest::newRow("upper-case scheme") << u"HTTPS://Example.com"_s << true;
        QTest::newRow("chrome option") << u"--renderer-cmd-prefix=x"_s << false;
        QTest::newRow("javascript") << u"javascript:alert(1)"_s << false;
        QTest::newRow("file") << u"file:///etc/passwd"_s << false;
        QTest::newRow("http without host") << u"http://"_s << false;
        QTest::newRow("https, empty host") << u"https:///path"_s << false;
        QTest::newRow("relative") << u"relative/page"_s << false;
        QTest::newRow("scheme-relative") << u"//example.com/x"_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("ftp") << u"ftp://example.com/"_s << false;
        QTest::newRow("data") << u"data:text/html,<b>x</b>"_s << false;
        QTest::newRow("invalid host") << u"http://exa mple.com/"_s << false;
    }

    void onlyWebAddressesOpen()
    {
        QFETCH(QString, url);
        QFETCH(bool, accepted);
        QCOMPARE(OpenTarget::isWebAddress(QUrl(url)), accepted);
        if (accepted)
            return;
        Machine m;
        m.place(0, 'x');
        for (const OpenTarget &t : {OpenTarget::systemDefault(), OpenTarget::chromeDefault(),
                                    OpenTarget{u"chrome-P"_s, u"P"_s, u"P"_s}}) {
            const auto error = failureOf<AppError>(t, QUrl(url), m.env);
            QVERIFY(error);
            QCOMPARE(error->kind(), AppError::Kind::noOpenURL);
        }
        QCOMPARE(m.launches, 0);
        QVERIFY(m.browserCalls.isEmpty());
    }
};

QTEST_MAIN(TestTargets)
#include "tst_targets.moc"
