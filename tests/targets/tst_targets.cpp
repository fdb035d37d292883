// Open targets on a temporary machine: tables of Chrome installs, Local State files and addresses and of the
// other browsers (every start recorded), the platform's layout, one real start of the fake Chrome.
#include "OpenTarget.h"
#include "TargetMemory.h"
#include "CLIOrg.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>

using namespace Qt::Literals::StringLiterals;

const QString kUrl = u"https://example.com/"_s;
const QByteArray kWork = R"(f{"profile": {"info_cache": {"Profile 2": {"name": "work"}}}})"_ba;
using Files = QMap<QString, QByteArray>; // path under the temporary machine: what make() puts there

class TestTargets : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    BrowserLocations m_env; // this platform's layout under m_dir
    QStringList m_log; // what reached a browser, and every error

    // Puts at `path`: "x" the fake Chrome, "d" a folder, "p" a pipe, "f<content>" a file, "-" none.
    void make(const QString &path, const QByteArray &what)
    {
        QFile file(path);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        QVERIFY(what == "x" ? QFile::link(QStringLiteral(FAKE_CHROME_PATH), path)
                : what == "d" ? QDir().mkpath(path)
                : what == "p" ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                : what.startsWith('f') ? file.open(QFile::WriteOnly) && file.write(what.mid(1)) >= 0
                                       : what == "-");
    }

    // The targets offered on the temporary machine, as id|label.
    QString offered() const
    {
        QStringList out;
        for (const OpenTarget &target : OpenTarget::loadAvailable(m_env))
            out << target.id + u'|' + target.label;
        return out.join(u',');
    }

    void open(const OpenTarget &target, const QString &url, bool privateWindow = false)
    {
        try {
            target.open(QUrl(url), m_env, privateWindow);
        } catch (const DescribedError &error) {
            m_log << error.description();
        }
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_env = BrowserLocations::forHome(m_dir->path());
        for (QString &candidate : m_env.chromeCandidates) // commands stay: PATH is under the temporary folder
            candidate = QDir::isAbsolutePath(candidate) ? m_dir->path() + candidate : candidate;
        m_env.chromiums.append(m_env.firefox);
        for (BrowserKind &browser : m_env.chromiums) // the machine's own places, under the temporary folder
            for (BrowserInstall &install : browser.installs)
                if (QDir::isAbsolutePath(install.program) && !install.program.startsWith(m_dir->path()))
                    install.program.prepend(m_dir->path());
        m_env.firefox = m_env.chromiums.takeLast();
        qputenv("PATH", QFile::encodeName(m_dir->filePath(u"path"_s)));
        m_env.launchDetached = [this](const QString &program, const QStringList &arguments) {
            const qsizetype chrome = m_env.chromeCandidates.indexOf(program);
            m_log << QString((chrome >= 0 ? "chrome"_L1 + QString::number(chrome) : program) + u' ' + arguments.join(u' ')).remove(m_dir->path());
        };
        m_log.clear();
    }

    // Chrome is started detached: no child of this process is ever left, zombie or alive.
    void cleanup() { QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1); }

    void targets_data()
    {
        QTest::addColumn<QByteArrayList>("chrome"); // what stands at each Chrome candidate (a command: on PATH)
        QTest::addColumn<QByteArray>("state"); // and at the Local State path
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("log"); // the targets offered > Chrome default
        const QString fixed = u"system|System default,chrome-default|Chrome default"_s;
        const QString opened = " > chrome0 "_L1 + kUrl;
        const auto row = [](const char *tag, const char *chrome, const QByteArray &state, const QString &log, const char *locale = "C") {
            QTest::newRow(tag) << QByteArray(chrome).split(' ') << state << QString::fromLatin1(locale) << kUrl << log;
        };
        // Read past its first chunk; "default" would take Chrome default's id, "" names no profile.
        row("by label, case folded; unusable names: the folder", "x",
            R"(f{"x": 1, "profile": {"info_cache": {"P1": {"name": "Beta"}, "A": {"name": ""},
               "P2": {"name": "alpha"}, "B": {"name": 42}, "C": {}, "D": "text",
               "Z": {"name": "Émile"}, "": {"name": "Any"}, "default": {"name": "Lower"}}}})"_ba
                .leftJustified(100'000),
            fixed + ",chrome-A|Chrome - A,chrome-P2|Chrome - alpha,chrome-B|Chrome - B,"_L1
                + "chrome-P1|Chrome - Beta,chrome-C|Chrome - C,chrome-D|Chrome - D,"_L1
                + u"chrome-Z|Chrome - Émile"_s + opened);
        row("in the locale; folders as written", "x",
            R"(f{"profile": {"info_cache": {"Профиль 1": {"name": "zoë"},
               "Profile 7": {"name": "Émile"}, "Default": {"name": "alpha"}}}})"_ba,
            fixed + u",chrome-Default|Chrome - alpha,chrome-Profile 7|Chrome - Émile,chrome-Профиль 1|Chrome - zoë"_s + opened,
            "en_US");
        for (const auto &[tag, state] : {std::pair("missing", "-"_ba), {"named pipe", "p"_ba}, {"10 MB of garbage", 'f' + QByteArray(10 << 20, '\x9c')},
                                         {"oversized", kWork.leftJustified(ChromeProfiles::kMaxLocalStateBytes + 2)}})
            row(tag, "x", state, fixed + opened);
        // Profiles are offered only with a Chrome to open them in.
        row("no Chrome: a folder, a plain file", "d f", kWork,
            u"system|System default > Google Chrome was not found."_s);
        row("missing skipped", "- x", kWork, fixed + ",chrome-Profile 2|Chrome - work > chrome1 "_L1 + kUrl);
        row("the first wins", "x x", "-", fixed + opened);
#if !defined(Q_OS_MACOS)
        row("on PATH only, -stable first", "- - - x x", "-", fixed + " > /path/google-chrome-stable "_L1 + kUrl);
#endif
        const QString refused = fixed + u" > Salesforce CLI did not return an open URL."_s;
        for (const char *url : {"--renderer-cmd-prefix=x", "javascript:alert(1)", "file:///etc/pwd", "http://", "https:///path",
                                "relative/page", "//example.com/x", "", "ftp://example.com/", "http://exa mple.com/"})
            QTest::addRow("refused: '%s'", url) << QByteArrayList{"x"} << "-"_ba << u"C"_s << QString::fromLatin1(url) << refused;
    }

    // The targets offered, as id|label; then the address opened in Chrome default.
    void targets()
    {
        QFETCH(QByteArrayList, chrome);
        QFETCH(QByteArray, state);
        QFETCH(QString, locale);
        QFETCH(QString, url);
        QFETCH(QString, log);
        for (qsizetype i = 0; i < chrome.size(); ++i)
            make(QDir(m_dir->filePath(u"path"_s)).filePath(m_env.chromeCandidates[i]), chrome[i]);
        make(m_env.localStatePath, state);
        QLocale::setDefault(QLocale(locale));
        m_log << offered();
        QLocale::setDefault(QLocale::c());
        open(OpenTarget::chromeDefault(), url);
        QCOMPARE(m_log.join(u" > "_s), log);
    }

    void browsers_data()
    {
        QTest::addColumn<QStringList>("programs"); // fake browsers under the temporary machine; the log's %1 is the first
        QTest::addColumn<Files>("files"); // profile files in the home folder, with their content
        QTest::addColumn<QString>("log"); // the targets after the system browser > the last browser's launches
        QTest::newRow("Chromium on PATH") << QStringList{u"/path/chromium-browser"_s} << Files{{u"/.config/chromium/Local State"_s, kWork}}
            << u"chromium-default|Chromium default,chromium-Profile 2|Chromium - work > %1 https://example.com/ > %1 --profile-directory=Profile 2 "
               "--incognito https://example.com/ > %1 --profile-directory=Profile 2 https://example.com/ > Chromium was not found."_s;
        QTest::newRow("Edge, a user's Flatpak") << QStringList{u"/.local/share/flatpak/exports/bin/com.microsoft.Edge"_s} << Files{{u"/.var/app/"
               "com.microsoft.Edge/config/microsoft-edge/Local State"_s, kWork}} << u"edge-default|Edge default,edge-Profile 2|Edge - work > %1 "
               "https://example.com/ > %1 --profile-directory=Profile 2 --inprivate https://example.com/ > %1 --profile-directory=Profile 2 "
               "https://example.com/ > Edge was not found."_s;
        // The browsers in their order, each with its own profiles; the first install found counts.
        QTest::newRow("all of them") << QStringList{u"/var/lib/flatpak/exports/bin/com.vivaldi.Vivaldi"_s, u"/opt/google/chrome/chrome"_s,
            u"/opt/brave.com/brave/brave"_s, u"/usr/bin/brave-browser"_s, u"/snap/bin/chromium"_s, u"/opt/microsoft/msedge/msedge"_s}
            << Files{{u"/.config/BraveSoftware/Brave-Browser/Local State"_s, kWork}, {u"/snap/chromium/common/chromium/Local State"_s, kWork},
                     {u"/.var/app/com.vivaldi.Vivaldi/config/vivaldi/Local State"_s, kWork}} << u"chrome-default|Chrome default,chromium-default|"
               "Chromium default,chromium-Profile 2|Chromium - work,edge-default|Edge default,brave-default|Brave default,brave-Profile 2|Brave - work,"
               "vivaldi-default|Vivaldi default,vivaldi-Profile 2|Vivaldi - work > %1 https://example.com/ > %1 --profile-directory=Profile 2 "
               "--incognito https://example.com/ > %1 --profile-directory=Profile 2 https://example.com/ > Vivaldi was not found."_s;
        // Firefox last, its profiles by label: unusable sections left out, a profile opened by its folder (a name may look like an option).
        const QByteArray ini = "f[General]\nStartWithLastProfile=1\n\n[Profile1]\nName=work\nIsRelative=0\nPath=/data/w\n[Profile0]\r\n"
                               "Name = default-release\r\nPath=ab.default-release\r\n[Profile2]\nName=no path\n[Profile3]\nName=work\n"
                               "Path=other\n[Install4F96]\nDefault=ab.default-release\n[Profile4]\nName=-P\nPath=../x y\n";
        const QString head = u"firefox-default|Firefox default,firefox--P|Firefox - -P,firefox-default-release|Firefox - default-release,firefox-work|"
                             "Firefox - work > %1 https://example.com/ > %1 --profile "_s;
        const QString end = u"/x y --private-window https://example.com/ > %1 --profile /data/w https://example.com/ > Firefox was not found."_s;
        QTest::newRow("Firefox on PATH") << QStringList{u"/path/firefox-esr"_s} << Files{{u"/.mozilla/firefox/profiles.ini"_s, ini}} << head + "/.mozilla"_L1 + end;
        QTest::newRow("Firefox, a Flatpak") << QStringList{u"/var/lib/flatpak/exports/bin/org.mozilla.firefox"_s, u"/usr/bin/chromium"_s}
            << Files{{u"/.var/app/org.mozilla.firefox/.mozilla/firefox/profiles.ini"_s, ini}}
            << "chromium-default|Chromium default,"_L1 + head + "/.var/app/org.mozilla.firefox/.mozilla"_L1 + end;
    }

    // The last browser's default, its next target in a private window, its last; its last again once its program is gone.
    void browsers()
    {
        QFETCH(QStringList, programs);
        QFETCH(Files, files);
        QFETCH(QString, log);
        for (const QString &program : programs)
            make(m_dir->path() + program, "x");
        for (const auto &[file, content] : files.asKeyValueRange())
            make(m_dir->path() + file, content);
        m_log << offered().mid(22);
        QList<OpenTarget> targets = OpenTarget::loadAvailable(m_env);
        targets.removeIf([last = targets.last().browser](const OpenTarget &target) { return target.browser != last; });
        open(targets.first(), kUrl);
        open(targets.value(1), kUrl, true);
        open(targets.last(), kUrl);
        QVERIFY(QFile::remove(m_dir->path() + programs.first())); // only the opened browser gone
        open(targets.last(), kUrl);
        QCOMPARE(m_log.join(u" > "_s), log.arg(programs.first()));
    }

    // Where Chrome's Local State is (XDG_CONFIG_HOME when absolute).
    void platformLayout()
    {
        qputenv("XDG_CONFIG_HOME", "/xdg"); // before the first look at the real machine
#if defined(Q_OS_MACOS)
        QCOMPARE(BrowserLocations::system()->localStatePath, QDir::homePath() + "/Library/Application Support/Google/Chrome/Local State"_L1);
#else
        QCOMPARE(BrowserLocations::system()->localStatePath, u"/xdg/google-chrome/Local State"_s);
        QCOMPARE(BrowserLocations::forHome(u"/h"_s).localStatePath + BrowserLocations::forHome(u"/h"_s, u"x"_s).localStatePath,
                 u"/h/.config/google-chrome/Local State/h/.config/google-chrome/Local State"_s);
#endif
    }

    // The real start: the system's reason when Chrome cannot start; otherwise not waited for and
    // never our child (see cleanup), with the profile's folder and the address, fully encoded.
    void startsDetached()
    {
        m_env.launchDetached = BrowserLocations::startDetached;
        const QString chrome = m_env.chromeCandidates[0];
        make(chrome, "fnot a program");
        QVERIFY(QFile::setPermissions(chrome, QFile::ReadOwner | QFile::ExeOwner));
        open(OpenTarget::chromeDefault(), kUrl);
        QVERIFY2(m_log.value(0).contains("Exec format error"_L1), qPrintable(m_log.value(0)));
        QVERIFY(QFile::remove(chrome));
        make(chrome, "x");
        QFile record(m_dir->filePath(u"chrome.jsonl"_s)); // read until its line is whole: the fake may be writing while the test looks
        qputenv("FAKE_CHROME_LOG", QFile::encodeName(record.fileName()));
        qputenv("FAKE_CHROME_HOLD", "60");
        make(m_env.localStatePath, kWork);
        OpenTarget::loadAvailable(m_env).last().open(QUrl(u"HTTP://a.COM/b c?d=e f\n#g"_s), m_env);
        qunsetenv("FAKE_CHROME_HOLD");
        QTRY_VERIFY((record.isOpen() || record.open(QFile::ReadOnly)) && record.seek(0) && record.peek(1 << 16).endsWith('\n'));
        const QJsonDocument call = QJsonDocument::fromJson(record.readAll());
        QVERIFY(::kill(static_cast<pid_t>(call["pid"_L1].toInteger()), SIGKILL) == 0); // it runs
        QCOMPARE(call["argv0"_L1].toString() + u' ' + call["args"_L1].toVariant().toStringList().join(u'|'),
                 chrome + " --profile-directory=Profile 2|http://a.com/b%20c?d=e%20f%0A#g"_L1);
    }

    // Where each org opened last, as a second reader (another process) finds it, the settings file
    // being at first: none, garbage, a folder, a pipe, or under a file where no folder can be made.
    void memory_data()
    {
        QTest::addColumn<QByteArray>("before"); // make()'s, or "!" for a file where the folder should be
        QTest::addColumn<QString>("recalled"); // for the org, the same username in another org, the alias's other user
        QTest::addColumn<QString>("problem"); // how the one line said begins
        const QString remembered = u"chromium-P2 private setup|-|-"_s;
        QTest::newRow("none yet") << "-"_ba << remembered << QString();
        QTest::newRow("garbage") << "f\x01\xff[orgs\n=x"_ba << remembered << u"Tarnwick could not read its settings; they were set aside as"_s;
        QTest::newRow("another program's") << "f[General]\nformat=7\n"_ba << remembered << u"Tarnwick could not read"_s;
        QTest::newRow("a folder") << "d"_ba << u"-|-|-"_s << u"Tarnwick cannot read its settings ("_s;
        QTest::newRow("a pipe, never waited on") << "p"_ba << u"-|-|-"_s << u"Tarnwick cannot read its settings ("_s;
        QTest::newRow("no folder can be made") << "!"_ba << u"-|-|-"_s << u"Tarnwick cannot read its settings ("_s;
    }

    void memory()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, recalled);
        QFETCH(QString, problem);
        const QString folder = m_dir->filePath(before == "!" ? u"blocked/Tarnwick"_s : u"config/Tarnwick"_s);
        const QString file = folder + u"/Tarnwick.conf"_s;
        make(before == "!" ? m_dir->filePath(u"blocked"_s) : file, before == "!" ? "f"_ba : before);
        CLIOrg org, reused, other;
        org.username = reused.username = u"a@x.com"_s;
        org.orgId = other.orgId = u"00DA"_s;
        reused.orgId = u"00DB"_s; // the connection made again, in another org
        other.username = u"b@x.com"_s; // its alias given to another user
        QString said;
        {
            TargetMemory memory(file);
            memory.remember(org, {u"chromium-P2"_s, true, u"setup"_s}, QDate(2026, 12, 7));
            said = memory.takeProblem();
            QVERIFY(memory.takeProblem().isEmpty()); // said once
        }
        QVERIFY2(problem.isEmpty() ? said.isEmpty() : said.startsWith(problem), qPrintable(said));
        const TargetMemory second(file);
        QStringList found;
        for (const CLIOrg &o : {org, reused, other}) {
            const std::optional<TargetMemory::Choice> c = second.recall(o);
            found << (c ? c->targetID + (c->privateWindow ? u" private "_s : u" - "_s) + c->page : u"-"_s);
        }
        QCOMPARE(found.join(u'|'), recalled);
        if (recalled.startsWith("-"_L1))
            return;
        // The user's alone, and nothing in it but the org's id, username and the choice.
        struct stat status = {};
        QVERIFY(::stat(QFile::encodeName(file).constData(), &status) == 0 && (status.st_mode & 0777) == 0600);
        QVERIFY((::stat(QFile::encodeName(folder).constData(), &status) == 0 && (status.st_mode & 0777) == 0700));
        QFile text(file);
        QVERIFY(text.open(QFile::ReadOnly));
        QStringList keys;
        for (const QString &line : QString::fromUtf8(text.readAll()).split(u'\n'))
            keys << line.section(u'=', 0, 0).section(u'\\', -1);
        QCOMPARE(keys.join(u' '), u"[General] format  [orgs] listed orgId page private target username "_s);
    }

    // An org no list has shown for more than 90 days is forgotten; one listed is kept.
    void memoryForgetsTheUnlisted()
    {
        TargetMemory memory(m_dir->filePath(u"Tarnwick.conf"_s));
        CLIOrg listed, gone;
        listed.username = u"a@x.com"_s;
        gone.username = u"b@x.com"_s;
        const QDate first(2026, 1, 1);
        for (const CLIOrg &org : {listed, gone})
            memory.remember(org, {u"system"_s, false, {}}, first);
        memory.noteListed({listed}, first.addDays(90));
        QVERIFY(memory.recall(gone));
        memory.noteListed({listed}, first.addDays(91));
        QVERIFY(memory.recall(listed) && !memory.recall(gone));
        memory.noteListed({}, first.addDays(181));
        QVERIFY(memory.recall(listed));
        memory.noteListed({}, first.addDays(182));
        QVERIFY(!memory.recall(listed));
    }
};

QTEST_GUILESS_MAIN(TestTargets)
#include "tst_targets.moc"
