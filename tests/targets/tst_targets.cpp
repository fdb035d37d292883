// Open targets against a temporary machine: Chrome candidates and "Local State" under a temporary
// root, the fake Chrome started for real, the system browser recorded.
#include "ChromeProfiles.h"
#include "OpenTarget.h"
#include "BrowserLocations.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
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

const QUrl kExample(u"https://example.com/"_s);
const OpenTarget kProfileP{u"chrome-P"_s, u"P"_s, u"P"_s};
const QStringList kBase{u"system|System default"_s, u"chrome-default|Chrome default"_s};
const QByteArray kThreeProfiles = R"({"profile": {"info_cache": {
    "Default": {"name": "Person 1"}, "Profile 2": {"name": "work"}, "Profile 3": {"name": "alpha"}
}}})"_ba;

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
        env = BrowserLocations::forHome(u"/home/user"_s);
        for (QString &candidate : env.chromeCandidates)
            candidate = m_dir.path() + candidate;
        env.localStatePath = m_dir.path() + env.localStatePath;
        env.openInSystemBrowser = [this](const QUrl &url) { browserCalls.append(url); };
        env.launchDetached = [this](const QString &program, const QStringList &arguments) {
            ++launches;
            BrowserLocations::startDetached(program, arguments);
        };
        qputenv("FAKE_CHROME_LOG", QFile::encodeName(m_dir.filePath(u"chrome.jsonl"_s)));
    }
    ~Machine() { qunsetenv("FAKE_CHROME_LOG"); }

    // What stands at `file`: 'x' the fake Chrome, 'f' a file holding `content`, 'g' the same made
    // executable, 'd' a folder, 'l' a dangling link, 'p' a named pipe, '-' nothing.
    void make(const QString &file, char kind, const QByteArray &content = "\x01\x02 no program"_ba)
    {
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        if (kind == 'x')
            QVERIFY(QFile::link(QStringLiteral(FAKE_CHROME_PATH), file));
        if (kind == 'd')
            QVERIFY(QDir().mkpath(file));
        if (kind == 'l')
            QVERIFY(QFile::link(m_dir.filePath(u"gone"_s), file));
        if (kind == 'p')
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        if (kind == 'f' || kind == 'g') {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(content), content.size());
            QVERIFY(kind == 'f' || f.setPermissions(f.permissions() | QFile::ExeOwner));
        }
    }
    void withChrome() { make(env.chromeCandidates[0], 'x'); }

    // Complete lines only: the fake may be writing while the test looks.
    QList<ChromeCall> chromeCalls() const
    {
        QFile f(m_dir.filePath(u"chrome.jsonl"_s));
        QByteArrayList lines = (f.open(QIODevice::ReadOnly) ? f.readAll() : ""_ba).split('\n');
        lines.removeLast();
        QList<ChromeCall> calls;
        for (const QByteArray &line : std::as_const(lines)) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            calls.append({o["argv0"_L1].toString(), o["args"_L1].toVariant().toStringList(),
                          o["pid"_L1].toInteger()});
        }
        return calls;
    }

    BrowserLocations env;
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

std::optional<AppError::Kind> failureOf(const OpenTarget &target, const QUrl &url,
                                        const BrowserLocations &env)
{
    try {
        target.open(url, env);
    } catch (const AppError &error) {
        return error.kind();
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
        const BrowserLocations env = BrowserLocations::forHome(u"/Users/me"_s, xdg);
        QCOMPARE(env.chromeCandidates, candidates);
        QCOMPARE(env.localStatePath, localState);
        // The shipped app looks at the real home.
        const BrowserLocations real
            = BrowserLocations::forHome(QDir::homePath(), qEnvironmentVariable("XDG_CONFIG_HOME"));
        QCOMPARE(BrowserLocations::system()->chromeCandidates, real.chromeCandidates);
        QCOMPARE(BrowserLocations::system()->localStatePath, real.localStatePath);
    }

    void available_data()
    {
        QTest::addColumn<QByteArray>("chrome"); // per candidate, a kind as Machine::make takes it
        QTest::addColumn<char>("kind"); // what stands at the "Local State" path
        QTest::addColumn<QByteArray>("localState");
        QTest::addColumn<QStringList>("profiles");
        const QStringList three{u"chrome-Profile 3|Chrome - alpha"_s,
                                u"chrome-Default|Chrome - Person 1"_s,
                                u"chrome-Profile 2|Chrome - work"_s};
        // Profiles are never offered without Chrome, even when Chrome's files are there.
        const auto located = [&](const char *tag, const QByteArray &chrome) {
            QTest::newRow(tag) << chrome << 'f' << kThreeProfiles << three;
        };
        located("no Chrome", ""_ba);
        located("three, Default beside chrome-default", "x"_ba);
        located("second only", "-x"_ba);
        located("third only", "--x"_ba);
        located("both, first wins", "xx"_ba);
        located("folder skipped", "dx"_ba);
        located("not executable skipped", "fx"_ba);
        located("only unusable", "df"_ba);

        const auto none = [](const char *tag, char kind, const QByteArray &content = {}) {
            QTest::newRow(tag) << "x"_ba << kind << content << QStringList();
        };
        none("no Local State", '-');
        none("folder in its place", 'd');
        none("dangling link", 'l');
        none("named pipe", 'p');
        none("valid but oversized", 'f',
             kThreeProfiles.leftJustified(ChromeProfiles::kMaxLocalStateBytes + 1));
        none("10 MB of garbage", 'f', QByteArray(10 * 1024 * 1024, '\x9c'));
        none("empty file", 'f', ""_ba);
        none("not JSON", 'f', R"({"profile": {"info_cache": {"A": {}})"_ba);
        none("invalid UTF-8", 'f', "{\"profile\": \"\xff\xfe\"}"_ba);
        none("not an object", 'f', R"([{"profile": {"info_cache": {"A": {}}}}])"_ba);
        none("no profile", 'f', R"({"info_cache": {"A": {}}})"_ba);
        none("profile not an object", 'f', R"({"profile": [{"info_cache": {}}]})"_ba);
        none("no info_cache", 'f', R"({"profile": {"A": {}}})"_ba);
        none("info_cache not an object", 'f', R"({"profile": {"info_cache": ["A"]}})"_ba);
        none("empty info_cache", 'f', R"({"profile": {"info_cache": {}}})"_ba);

        QTest::newRow("other keys ignored, white space padding")
            << "x"_ba << 'f' << R"( {"x": 1, "profile": {"last_used": "Default", "info_cache": {
                   "Default": {"name": "Person 1", "avatar": 3}, "Profile 2": {"name": "work"},
                   "Profile 3": {"name": "alpha"}}}}   )"_ba + QByteArray(4096, ' ') << three;
        QStringList byFolder;
        for (const char *folder : {"A", "B", "C", "D", "E", "F", "G", "H"})
            byFolder << "chrome-%1|Chrome - %1"_L1.arg(QLatin1StringView(folder));
        QTest::newRow("unusable names and entries")
            << "x"_ba << 'f' << R"({"profile": {"info_cache": {"A": {"name": ""}, "B": {"name": 42},
                   "C": {}, "D": "text", "E": [1], "F": null, "G": {"name": null}, "H": {"name": {}}
                   }}})"_ba
            << byFolder;
        QTest::newRow("empty folder name and \"default\" left out")
            << "x"_ba << 'f' << R"({"profile": {"info_cache": {"": {"name": "Any"},
                   "default": {"name": "Lower"}, "Profile 1": {"name": "Kept"}}}})"_ba
            << QStringList{u"chrome-Profile 1|Chrome - Kept"_s};
        QTest::newRow("alpha before Beta")
            << "x"_ba << 'f'
            << R"({"profile": {"info_cache": {"P1": {"name": "Beta"}, "P2": {"name": "alpha"}}}})"_ba
            << QStringList{u"chrome-P2|Chrome - alpha"_s, u"chrome-P1|Chrome - Beta"_s};
        QTest::newRow("space and non-ASCII kept as written")
            << "x"_ba << 'f' << R"({"profile": {"info_cache": {"Profile 7": {"name": "Home"},
                   "Профиль 1": {"name": "Zoë 東京"}, "Default": {}}}})"_ba
            << QStringList{u"chrome-Default|Chrome - Default"_s, u"chrome-Profile 7|Chrome - Home"_s,
                           u"chrome-Профиль 1|Chrome - Zoë 東京"_s};
    }

    // What is offered, and its last target opened in the fake Chrome.
    void available()
    {
        QFETCH(QByteArray, chrome);
        QFETCH(char, kind);
        QFETCH(QByteArray, localState);
        QFETCH(QStringList, profiles);
        Machine m;
        if (chrome.size() > m.env.chromeCandidates.size())
            QSKIP("this platform has fewer candidates");
        for (qsizetype i = 0; i < chrome.size(); ++i)
            m.make(m.env.chromeCandidates[i], chrome[i]);
        m.make(m.env.localStatePath, kind, localState);
        const QList<OpenTarget> targets = OpenTarget::loadAvailable(m.env);
        if (!chrome.contains('x')) {
            QCOMPARE(targets, QList<OpenTarget>{OpenTarget::systemDefault()});
            for (const OpenTarget &t : {OpenTarget::chromeDefault(), kProfileP})
                QCOMPARE(failureOf(t, kExample, m.env), AppError::Kind::chromeNotFound);
            QCOMPARE(m.launches, 0);
            return;
        }
        QCOMPARE(describe(targets), kBase + profiles);
        QCOMPARE(targets[0], OpenTarget::systemDefault());
        QCOMPARE(targets[1], OpenTarget::chromeDefault());
        for (const OpenTarget &t : targets.mid(2))
            QCOMPARE(t.chromeProfileDirectory, std::optional(t.id.mid(7)));

        // Chrome default takes the address alone, a profile its folder first.
        QStringList arguments{kExample.toString()};
        if (!profiles.isEmpty())
            arguments.prepend("--profile-directory="_L1 + targets.last().id.mid(7));
        qputenv("FAKE_CHROME_HOLD", "60");
        targets.last().open(kExample, m.env);
        qunsetenv("FAKE_CHROME_HOLD");
        QTRY_COMPARE(m.chromeCalls().size(), 1);
        const auto pid = static_cast<pid_t>(m.chromeCalls()[0].pid);
        // Not waited for: still running after open() returned, and never ours to reap.
        const bool detached = ::kill(pid, 0) == 0 && ::waitpid(pid, nullptr, WNOHANG) == -1;
        ::kill(pid, SIGKILL); // it holds the test's output streams, which CTest waits for
        QVERIFY(detached);
        QCOMPARE(m.chromeCalls()[0].argv0, m.env.chromeCandidates[chrome.indexOf('x')]);
        QCOMPARE(m.chromeCalls()[0].args, arguments);
        QCOMPARE(m.launches, 1);
        QVERIFY(m.browserCalls.isEmpty());
    }

    void sortFollowsLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("sorted");
        // Labels that differ only in case keep their order. Without collation rules letters
        // compare by code point once case is folded.
        QTest::newRow("C") << QLocale::c() << u"alpha Beta beta delta Delta zoë Émile"_s.split(u' ');
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << u"alpha Beta beta delta Delta Émile zoë"_s.split(u' ');
    }

    void sortFollowsLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, sorted);
        const QLocale previous;
        QLocale::setDefault(locale);
        QList<OpenTarget> targets;
        for (const QString &name : u"zoë Émile Beta beta delta Delta alpha"_s.split(u' '))
            targets.append({name, name, name});
        OpenTarget::sortByLabel(targets);
        QLocale::setDefault(previous);
        QStringList labels;
        for (const OpenTarget &t : std::as_const(targets))
            labels.append(t.label);
        QCOMPARE(labels, sorted);
    }

    void chromeThatCannotStart()
    {
        Machine m;
        m.make(m.env.chromeCandidates[0], 'g');
        QCOMPARE(OpenTarget::loadAvailable(m.env).size(), 2);
        try {
            OpenTarget::chromeDefault().open(kExample, m.env);
            QFAIL("no launch failure");
        } catch (const ChromeLaunchError &error) {
            QVERIFY2(error.description().contains("Exec format error"_L1),
                     qPrintable(error.description()));
        }
    }

    // The shipped system browser is QDesktopServices; a URL handler stands in for the desktop.
    void systemBrowserThroughDesktopServices()
    {
        Machine m;
        m.withChrome();
        const QUrl url(u"https://acme.my.salesforce.com/"_s);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(u"https"_s, &catcher, "catchUrl");
        m.env.openInSystemBrowser = BrowserLocations::openWithDesktopServices;
        OpenTarget::systemDefault().open(url, m.env);
        QCOMPARE(catcher.urls, QList<QUrl>{url});
        // From a background task it is handed to the GUI thread.
        std::thread([&] { OpenTarget::systemDefault().open(url, m.env); }).join();
        QTRY_COMPARE(catcher.urls.size(), 2);
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(m.launches, 0);
        QVERIFY(m.chromeCalls().isEmpty());
    }

    void onlyWebAddressesOpen_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("argument"); // what Chrome receives; null: refused
        const QString frontDoor = u"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=a%2Bb&x=1"_s;
        QTest::newRow("front door") << frontDoor << frontDoor;
        QTest::newRow("http with port") << u"http://localhost:1717/"_s << u"http://localhost:1717/"_s;
        QTest::newRow("upper-case scheme") << u"HTTPS://Example.com"_s << u"https://example.com"_s;
        QTest::newRow("encoded as one argument")
            << u"HTTP://Example.COM/a b?q=x y\n#z"_s << u"http://example.com/a%20b?q=x%20y%0A#z"_s;
        for (const char *url : {"--renderer-cmd-prefix=x", "javascript:alert(1)", "file:///etc/passwd",
                                "http://", "https:///path", "relative/page", "//example.com/x",
                                "", "ftp://example.com/", "data:text/html,<b>x</b>",
                                "http://exa mple.com/"})
            QTest::addRow("refused: '%s'", url) << QString::fromLatin1(url) << QString();
    }

    // A web address reaches the system browser as it is and Chrome as one argument; anything else
    // is refused before any process starts, whichever the target.
    void onlyWebAddressesOpen()
    {
        QFETCH(QString, url);
        QFETCH(QString, argument);
        Machine m;
        m.withChrome();
        QCOMPARE(OpenTarget::isWebAddress(QUrl(url)), !argument.isNull());
        if (!argument.isNull()) {
            OpenTarget::systemDefault().open(QUrl(url), m.env);
            QCOMPARE(m.browserCalls, QList<QUrl>{QUrl(url)});
            OpenTarget::chromeDefault().open(QUrl(url), m.env);
            QTRY_COMPARE(m.chromeCalls().size(), 1);
            QCOMPARE(m.chromeCalls()[0].args, QStringList{argument});
            QCOMPARE(m.launches, 1);
            return;
        }
        for (const OpenTarget &t :
             {OpenTarget::systemDefault(), OpenTarget::chromeDefault(), kProfileP})
            QCOMPARE(failureOf(t, QUrl(url), m.env), AppError::Kind::noOpenURL);
        QCOMPARE(m.launches, 0);
        QVERIFY(m.browserCalls.isEmpty());
    }
};

QTEST_MAIN(TestTargets)
#include "tst_targets.moc"
