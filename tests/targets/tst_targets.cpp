// Open targets on a temporary machine: the browsers recorded, one real start of the fake Chrome.
#include "OpenTarget.h"

#include <QDesktopServices>
#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kUrl = u"https://example.com/"_s;
const QString kNoChrome = u"Google Chrome was not found."_s;
const QString kRefused = u"Salesforce CLI did not return an open URL."_s;
const QByteArray kWork = R"({"profile": {"info_cache": {"Profile 2": {"name": "work"}}}})"_ba;

// Every path under a temporary root. What reaches the desktop or Chrome, and every error, is logged.
class Machine : public QObject
{
    Q_OBJECT
public:
    Machine() : env(BrowserLocations::forHome(dir.path()))
    {
        for (QString &candidate : env.chromeCandidates)
            candidate.prepend(dir.path());
        env.launchDetached = [this](const QString &program, const QStringList &arguments) {
            log << u"chrome%1|"_s.arg(env.chromeCandidates.indexOf(program)) + arguments.join(u'|');
        };
        for (const QString &scheme : {u"http"_s, u"https"_s})
            QDesktopServices::setUrlHandler(scheme, this, "catchUrl");
    }
    // What stands at `path`: 'x' the fake Chrome, 'f' a file holding `content`, 'g' the same made
    // executable, 'd' a folder, 'p' a named pipe, '-' nothing.
    void make(const QString &path, char kind, const QByteArray &content = "\x01\x02"_ba)
    {
        QFile f(path);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(kind != 'x' || QFile::link(QStringLiteral(FAKE_CHROME_PATH), path));
        QVERIFY(kind != 'd' || QDir().mkpath(path));
        QVERIFY(kind != 'p' || ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        QVERIFY((kind != 'f' && kind != 'g') || (f.open(QFile::WriteOnly) && f.write(content) >= 0));
        QVERIFY(kind != 'g' || f.setPermissions(f.permissions() | QFile::ExeOwner));
    }
    void note(const QList<OpenTarget> &targets)
    {
        for (const OpenTarget &t : targets)
            log << t.id + u'|' + t.label;
    }
    void open(const OpenTarget &target, const QString &url)
    {
        try {
            target.open(QUrl(url), env);
        } catch (const DescribedError &error) {
            log << error.description();
        }
    }
    QTemporaryDir dir;
    BrowserLocations env;
    QStringList log;
public Q_SLOTS:
    void catchUrl(const QUrl &url) { log << "browser "_L1 + QString::fromUtf8(url.toEncoded()); }
};

} // namespace

class TestTargets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Chrome is started detached: no child of this process is ever left, zombie or alive.
    void cleanup() { QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1); }

    void platformLayout()
    {
        const auto at = [](const QString &xdg) { return BrowserLocations::forHome(u"/h"_s, xdg); };
#if defined(Q_OS_MACOS)
        const QString app = u"/Applications/Google Chrome.app/Contents/MacOS/Google Chrome"_s;
        QCOMPARE(at({}).chromeCandidates, (QStringList{app, "/h"_L1 + app}));
        QCOMPARE(at({}).localStatePath, u"/h/Library/Application Support/Google/Chrome/Local State"_s);
#else
        QCOMPARE(at({}).chromeCandidates, u"/opt/google/chrome/chrome /usr/bin/google-chrome-stable "
                                          u"/usr/bin/google-chrome"_s.split(u' '));
        const QString config = u"/h/.config/google-chrome/Local State"_s; // XDG_CONFIG_HOME unset or relative
        QCOMPARE((QStringList{at({}).localStatePath, at(u"/x"_s).localStatePath, at(u"x"_s).localStatePath}),
                 (QStringList{config, u"/x/google-chrome/Local State"_s, config}));
#endif
        qputenv("XDG_CONFIG_HOME", "/xdg"); // before the first look at the real machine
        QCOMPARE(BrowserLocations::system()->localStatePath,
                 BrowserLocations::forHome(QDir::homePath(), u"/xdg"_s).localStatePath);
    }

    void open_data()
    {
        QTest::addColumn<QByteArray>("kinds"); // per Chrome candidate, as Machine::make takes it
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("log");
        const QStringList offered = u"system|System default,chrome-default|Chrome default,"
                                    u"chrome-Profile 2|Chrome - work"_s.split(u',');
        const auto opens = [&](const char *tag, const char *kinds, int found,
                               const QString &url = kUrl, const QString &argument = kUrl) {
            const QString browser = "browser "_L1 + argument;
            QTest::newRow(tag) << QByteArray(kinds) << url
                               << offered + QStringList{browser, u"chrome%1|"_s.arg(found) + argument, browser};
        };
        for (const char *kinds : {"", "df"}) // and no profiles without a Chrome to open them in
            QTest::addRow("no Chrome: '%s'", kinds) << QByteArray(kinds) << kUrl
                << QStringList{offered[0], "browser "_L1 + kUrl, kNoChrome, "browser "_L1 + kUrl};
        opens("first wins", "xx", 0);
        opens("missing skipped", "-x", 1);
        opens("folder skipped", "dx", 1);
        opens("not executable skipped", "fx", 1);
        const QString frontDoor = u"https://a.my.salesforce.com/secur/frontdoor.jsp?otp=a%2Bb&x=1"_s;
        opens("front door", "x", 0, frontDoor, frontDoor);
        opens("http with port", "x", 0, u"http://localhost:1717/"_s, u"http://localhost:1717/"_s);
        opens("one argument", "x", 0, u"HTTP://Example.COM/a b?q=x y\n#z"_s,
              u"http://example.com/a%20b?q=x%20y%0A#z"_s);
        for (const char *url : {"--renderer-cmd-prefix=x", "javascript:alert(1)", "file:///etc/passwd",
                                "http://", "https:///path", "relative/page", "//example.com/x", "",
                                "ftp://example.com/", "http://exa mple.com/"})
            QTest::addRow("refused: '%s'", url)
                << "x"_ba << QString::fromLatin1(url) << offered + QStringList(3, kRefused);
    }

    // What is offered; then the system browser, Chrome default, and the system browser from a
    // background task, which hands the address to the GUI thread.
    void open()
    {
        QFETCH(QByteArray, kinds);
        QFETCH(QString, url);
        QFETCH(QStringList, log);
        Machine m;
        for (qsizetype i = 0; i < kinds.size(); ++i)
            m.make(m.env.chromeCandidates[i], kinds[i]);
        m.make(m.env.localStatePath, 'f', kWork);
        m.note(OpenTarget::loadAvailable(m.env));
        m.open(OpenTarget::systemDefault(), url);
        m.open(OpenTarget::chromeDefault(), url);
        std::thread([&] { m.open(OpenTarget::systemDefault(), url); }).join();
        QTRY_COMPARE(m.log, log);
    }

    void profiles_data()
    {
        QTest::addColumn<char>("kind"); // what stands at the "Local State" path
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("targets");
        const auto none = [](const char *tag, char kind, const QByteArray &json = {}) {
            QTest::newRow(tag) << kind << json << u"C"_s << QString();
        };
        QTest::newRow("by label, case folded, by code point; unusable names: the folder")
            << 'f' << R"( {"x": 1, "profile": {"info_cache": {"P1": {"name": "Beta"}, "A": {"name": ""},
                   "P2": {"name": "alpha"}, "B": {"name": 42}, "C": {}, "D": "text", "F": {}, "Z": {"name": "Émile"},
                   "": {"name": "Any"}, "default": {"name": "Lower"}}}} )"_ba << u"C"_s
            << u"A|Chrome - A,P2|Chrome - alpha,B|Chrome - B,P1|Chrome - Beta,C|Chrome - C,D|Chrome - D,F|Chrome - F,Z|Chrome - Émile"_s;
        QTest::newRow("in the locale; folders as written")
            << 'f' << R"({"profile": {"info_cache": {"Профиль 1": {"name": "zoë"},
                   "Profile 7": {"name": "Émile"}, "Default": {"name": "alpha"}}}})"_ba << u"en_US"_s
            << u"Default|Chrome - alpha,Profile 7|Chrome - Émile,Профиль 1|Chrome - zoë"_s;
        none("missing", '-');
        none("folder", 'd');
        none("named pipe", 'p');
        none("oversized", 'f', kWork.leftJustified(ChromeProfiles::kMaxLocalStateBytes + 1));
        none("10 MB of garbage", 'f', QByteArray(10 * 1024 * 1024, '\x9c'));
        none("not JSON", 'f', R"({"profile": {"info_cache": {"A": {}})"_ba);
        none("not an object", 'f', R"([{"profile": {"info_cache": {"A": {}}}}])"_ba);
        none("info_cache not an object", 'f', R"({"profile": {"info_cache": ["A"]}})"_ba);
    }

    void profiles()
    {
        QFETCH(char, kind);
        QFETCH(QByteArray, json);
        QFETCH(QString, locale);
        QFETCH(QString, targets); // folder|label, ...
        Machine m;
        m.make(m.env.localStatePath, kind, json);
        QLocale::setDefault(QLocale(locale));
        QStringList got;
        for (const OpenTarget &t : OpenTarget::forChromeProfiles(ChromeProfiles::read(m.env.localStatePath)))
            got << *t.chromeProfileDirectory + u'|' + t.label;
        QLocale::setDefault(QLocale::c());
        QCOMPARE(got.join(u','), targets);
    }

    // The real start: the system's reason when Chrome cannot start; otherwise never our child.
    void startsDetached()
    {
        Machine m;
        m.env.launchDetached = BrowserLocations::startDetached;
        m.make(m.env.chromeCandidates[0], 'g');
        m.open(OpenTarget::chromeDefault(), kUrl);
        QVERIFY2(m.log.value(0).contains("Exec format error"_L1), qPrintable(m.log.value(0)));
        QVERIFY(QFile::remove(m.env.chromeCandidates[0]));
        m.make(m.env.chromeCandidates[0], 'x');
        m.make(m.env.localStatePath, 'f', kWork);
        const QString log = m.dir.filePath(u"chrome.jsonl"_s);
        qputenv("FAKE_CHROME_LOG", QFile::encodeName(log));
        qputenv("FAKE_CHROME_HOLD", "60");
        OpenTarget::loadAvailable(m.env).last().open(QUrl(kUrl), m.env);
        qunsetenv("FAKE_CHROME_HOLD");
        const auto record = [&] { QFile f(log); return f.open(QFile::ReadOnly) ? f.readAll() : ""_ba; };
        QTRY_VERIFY(record().endsWith('\n')); // the fake may be writing while the test looks
        const QJsonDocument call = QJsonDocument::fromJson(record());
        const auto pid = static_cast<pid_t>(call["pid"_L1].toInteger());
        const bool detached = ::kill(pid, 0) == 0 && ::waitpid(pid, nullptr, WNOHANG) == -1;
        ::kill(pid, SIGKILL); // it holds the test's output streams, which CTest waits for
        QVERIFY(detached);
        QCOMPARE(call["argv0"_L1].toString(), m.env.chromeCandidates[0]);
        QCOMPARE(call["args"_L1].toVariant().toStringList(),
                 (QStringList{u"--profile-directory=Profile 2"_s, kUrl}));
    }
};

QTEST_MAIN(TestTargets)
#include "tst_targets.moc"
