// The store against the fake `sf` (real processes): each action's messages, busy flag, CLI calls,
// list, selection and file; jobs that overlap or are stopped; the secret file.
#include "CLIWatcher.h"
#include "FakeScenario.h"
#include "OpenTarget.h"
#include "OrgList.h"
#include "OrgStore.h"
#include "SecretFile.h"

#include <QRegularExpression>

#include <sys/stat.h>

namespace {

const QByteArray kAuth = "{\"result\": {\"sfdxAuthUrl\": \"force://P::5Aep.x@b.my.salesforce.com\"}}";
const QStringList kBase{u"a"_s, u"b+"_s, u"c+"_s, u"~c+"_s};
// What a CLI older than the quick list prints on standard output, exiting 2.
const QByteArray kNoSuchFlag = R"({"name":"Error","message":"Nonexistent flag: --skip-connection-status\nSee more help with )"
                               R"(--help","exitCode":2,"cause":"NonExistentFlagsError: Nonexistent flag","status":2})";

// "mode content" of a file.
QString fileState(const QString &path)
{
    struct stat info = {};
    QFile f(path);
    const int mode = ::stat(QFile::encodeName(path).constData(), &info) ? 0 : info.st_mode & 0777;
    return u"%1 "_s.arg(mode, 0, 8) + QString::fromUtf8(f.open(QFile::ReadOnly) ? f.readAll() : "none");
}

bool writeOld(const QString &path)
{
    QFile f(path);
    return f.open(QFile::WriteOnly) && f.write("old") == 3
        && f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
}

struct Ctx
{
    OrgStore &store;
    FakeScenario &fake;
    QString dir;
};
using Step = std::function<void(Ctx &)>;

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(SelectionPolicy::Input)

class TestStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What a search shows of three orgs: a piece of alias, username, address or org id, any case, accents counted.
    void filter_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("shown");
        for (const auto &[search, shown] : {std::pair(" \t\n ", "acme-dev dev@qa.io café-prod"), {"  ACME ", "acme-dev"},
                                            {"acme dev", ""}, {"cafe", ""}, {"CAFÉ", "café-prod"}, {"@BISTRO", "café-prod"},
                                            {"widgets--QA", "dev@qa.io"}, {"00dabc", "acme-dev"}, {"dev", "acme-dev dev@qa.io"},
                                            {"special", ""}, {"Other", ""}, {"Connected", ""}}) // login URL, category, status
            QTest::newRow(search) << QString::fromUtf8(search) << QString::fromUtf8(shown);
    }

    void filter()
    {
        QFETCH(QString, search);
        QFETCH(QString, shown);
        const auto org = [](const char *alias, const char *user, const char *host, const char *id) {
            const auto optional = [](const char *s) { return *s ? std::optional(QString::fromUtf8(s)) : std::nullopt; };
            return CLIOrg{optional(alias), QString::fromUtf8(user), "https://"_L1 + QString::fromUtf8(host),
                          u"https://test.salesforce.com/special"_s, optional(id), {}, u"Connected"_s, {}, {}, u"Other"_s};
        };
        QStringList ids;
        for (const CLIOrg &o : OrgStore::filter({org("acme-dev", "x@acme.com", "acme.my.salesforce.com", "00DABC"),
                 org("", "dev@qa.io", "widgets--qa.sandbox.my.salesforce.com", ""), org("café-prod", "ops@bistro.fr", "bistro.my.salesforce.com", "00DB")}, search))
            ids << o.id();
        QCOMPARE(ids.join(u' '), shown);
    }

    // From a list of a, b (selected), c and an org that c's alias hides, with a, c and d listed
    // after the action. An action that runs a job says two things and is busy in between.
    void actions_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QString>("statuses"); // "|" between them
        QTest::addColumn<QString>("calls"); // after the first list; "~" is the temporary folder, "org list --json" a reload
        QTest::addColumn<QString>("after"); // orgs/shown > selected username [copied text] [*default org]
        QTest::addColumn<QString>("file"); // the file that was there
        const auto row = [](const char *tag, const Step &step, const QByteArray &statuses, const char *calls,
                            const char *after = "4/4 > b@x.com", const QString &file = u"604 old"_s) {
            QTest::newRow(tag) << step << QString::fromUtf8(statuses) << QString::fromUtf8(calls) << QString::fromUtf8(after) << file;
        };
        const auto answer = [](const char *command, const QByteArray &out, int status, const Step &then) {
            return [=](Ctx &c) { c.fake.answer(QString::fromUtf8(command), status ? ""_ba : out, status, status ? out : ""_ba); then(c); };
        };
        const Step reload = [](Ctx &c) { c.store.refresh(); };
        const auto refresh = [=](const QStringList &orgs) { return answer("org_list", orgListJson(orgs), 0, reload); };
        const auto chromeOpen = [](bool privately, const QString &page = {}) {
            return [=](Ctx &c) { c.store.openSelected({u"chrome-P"_s, u"Chrome - work"_s, u"Profile 2"_s}, privately, page); };
        };
        const Step chrome = chromeOpen(false);
        const Step exportOld = [](Ctx &c) { c.store.exportOrg(*c.store.selectedOrg(), c.dir + "/old"_L1); };
        const QByteArray frontDoor = "{\"result\": {\"url\": \"https://b.example/secur/fd?otp=x\"}}";
        const char *loaded2 = "Reading sf org list...|Loaded 2 CLI connections.", *listing = "org list --json",
                   *authShow = "org auth show-sfdx-auth-url --target-org b --json";
        row("refresh keeps a listed selection", refresh({u"d+"_s, u"b"_s}), loaded2, listing, "2/2 > b@x.com");
        row("open in a Chrome profile", answer("org_open", frontDoor, 0, chrome), "Opening b...|Opened b in Chrome - work.",
            "org open --target-org b --url-only --json|chrome --profile-directory=Profile 2 https://b.example/secur/fd?otp=x");
        row("open Setup privately in the system browser", [](Ctx &c) { c.store.openSelected(OpenTarget::systemDefault(), true, u"setup"_s); },
            "Opening b...|Opened b (Setup) in System default.", "org open --target-org b --path /lightning/setup/SetupOneHome/home --private");
        row("open a path privately in Chrome", answer("org_open", frontDoor, 0, chromeOpen(true, u" /x "_s)), "Opening b...|Opened b (/x) in Chrome - work.",
            "org open --target-org b --url-only --json --path /x|chrome --profile-directory=Profile 2 --incognito https://b.example/secur/fd?otp=x");
        row("a path of another site, refused", chromeOpen(false, u"//evil.example/x"_s), "\"//evil.example/x\" is not a page of this org: "
            "give a path that begins with \"/\" (not \"//\") and has no spaces, or a page's name.", "");
        row("set default: the badge moves", [](Ctx &c) { c.store.setSelectedAsDefault(); },
            "Setting default org to b...|Default org set to b.", "config set target-org=b --global", "4/4 > b@x.com *b@x.com");
        row("create with a listed alias",
            [](Ctx &c) { c.store.createConnection(LoginKind::sandbox, u"  a \n"_s, BrowserChoice::firefox, true); },
            "Opening Salesforce login for a. Complete login and click Allow in the browser...|Connection created. Loaded 3 "
            "CLI connections.", "org login web --instance-url https://test.salesforce.com/ --alias a --browser firefox "
            "--set-default|org list --json", "3/3 > a@x.com");
        row("create, blank alias",
            [](Ctx &c) { c.store.createConnection(LoginKind::sandbox, u"  "_s, BrowserChoice::systemDefault, false); },
            "Opening Salesforce login for Sandbox. Complete login and click Allow in the browser...|Connection created. "
            "Loaded 3 CLI connections.", "org login web --instance-url https://test.salesforce.com/|org list --json",
            "3/3 > c@x.com");
        row("import as the typed alias",
            [](Ctx &c) { c.store.importConnection(c.dir + "/acme-uat-sfdx-auth.json"_L1, u" a\n"_s, true); },
            "Importing auth JSON as a...|Imported auth JSON as a. Treat imported files like passwords.",
            "org login sfdx-url --sfdx-url-file ~/acme-uat-sfdx-auth.json --alias a --set-default|org list --json",
            "3/3 > a@x.com");
        row("import as the proposed alias", [](Ctx &c) {
                c.fake.answer(u"org_list"_s, orgListJson({u"a"_s, u"acme-uat"_s, u"c+"_s}));
                c.store.importConnection(c.dir + "/acme-uat-sfdx-auth.json"_L1, u" "_s, false);
            }, "Importing auth JSON as acme-uat...|Imported auth JSON as acme-uat. Treat imported files like passwords.",
            "org login sfdx-url --sfdx-url-file ~/acme-uat-sfdx-auth.json --alias acme-uat|org list --json",
            "3/3 > acme-uat@x.com");
        row("export: the CLI's output, replacing the file", answer("org_auth_show-sfdx-auth-url", kAuth, 0, exportOld),
            "Exporting b auth JSON...|Exported auth JSON for b. Treat this file like a password.", authShow, "4/4 > b@x.com",
            "600 "_L1 + QString::fromUtf8(kAuth));

        // Failures: the error text alone; list, selection and file as they were.
        row("refresh: the CLI refuses", answer("org_list", "Error (X): boom\n", 1, reload),
            "Reading sf org list...|Error (X): boom", "org list --json --skip-connection-status");
        row("open: no web address", answer("org_open", "{\"result\": {\"url\": \"--renderer-cmd-prefix=x\"}}", 0, chrome),
            "Opening b...|Salesforce CLI did not return an open URL.", "org open --target-org b --url-only --json");
        const char *nothingWritten
            = "Exporting b auth JSON...|The Salesforce CLI did not return an SFDX auth URL for b; nothing was written.";
        for (const auto &[tag, out, status, message] : {
                 std::tuple("export: the CLI refuses", "Error (NoAuth): no such org", 1,
                            "Exporting b auth JSON...|Error (NoAuth): no such org"),
                 {"export: empty output", "", 0, nothingWritten},
                 {"export: auth URL where import does not look",
                  "{\"result\": {\"url\": \"force://a::b@c\"}, \"sfdxAuthUrl\": \"\"}", 0, nothingWritten}})
            row(tag, answer("org_auth_show-sfdx-auth-url", out, status, exportOld), message, authShow);

        // Refused before any CLI run or busy flag.
        const Step every = [](Ctx &c) {
            c.store.openSelected(OpenTarget::systemDefault());
            c.store.setSelectedAsDefault();
            if (const std::optional<CLIOrg> org = c.store.selectedOrg()) { // with none, the window offers neither
                c.store.deleteOrg(*org);
                c.store.exportOrg(*org, c.dir + "/old"_L1);
            }
            c.store.copyTarget();
        };
        row("nothing selected", [=](Ctx &c) { c.store.setSelectedID({}); every(c); },
            QStringList(2, u"Select an org with an alias or username."_s).join(u'|').toUtf8(), "", "4/4 > none");
        const auto pick = [](const QString &username) { // of the two orgs named c, "c" is the one c's alias hides
            return [=](Ctx &c) {
                for (const CLIOrg &o : c.store.orgs())
                    if (o.username == username)
                        c.store.selectOrg(o);
            };
        };
        const QByteArray hidden = "The Salesforce CLI cannot reach c: another connection has c as its alias, and the CLI "
                                  "looks up aliases first. Rename or remove that alias (sf alias unset c).";
        row("an alias hides the username", [=](Ctx &c) { pick(u"c"_s)(c); every(c); }, QByteArrayList(5, hidden).join('|'), "", "4/4 > c");
        row("the alias holder is acted on", [=](Ctx &c) { pick(u"c@x.com"_s)(c); c.store.deleteOrg(*c.store.selectedOrg()); },
            "Deleting connection c...|Deleted connection c.", "org logout --target-org c --no-prompt|org list --json",
            "3/3 > c@x.com");

        // The CLI's alias table: a second alias of b hides the org d; a name that changed while a
        // confirmation was open, or an org that has gone since, runs nothing.
        const auto aliases = [](const QByteArray &pairs) {
            return [=](Ctx &c) { c.fake.answer(kAliasRead.join(u'_'), "{\"status\":0,\"result\":[" + pairs + "]}"); };
        };
        const auto loadThen = [=](const QStringList &orgs, const QString &username, const Step &then) {
            return [=](Ctx &c) {
                refresh(orgs)(c);
                QTRY_VERIFY(!c.store.isBusy());
                pick(username)(c);
                then(c);
            };
        };
        const QByteArray bAlsoD = R"({"alias":"b","value":"b@x.com"},{"alias":"d","value":"b@x.com"})";
        row("a second alias hides an org", [=](Ctx &c) { aliases(bAlsoD)(c); loadThen(kBase + QStringList{u"~d"_s}, u"d"_s, every)(c); },
            "Reading sf org list...|Loaded 5 CLI connections.|" + QStringList(5, AppError::hiddenByAlias(u"d"_s).description()).join(u'|').toUtf8(),
            listing, "5/5 > d");
        const QString changed = u"b changed while you confirmed; nothing was %1. Refresh and try again."_s;
        row("delete: the name now reaches another org", [=](Ctx &c) { aliases(R"({"alias":"b","value":"c@x.com"})")(c); c.store.deleteOrg(*c.store.selectedOrg()); },
            "Deleting connection b...|" + changed.arg(u"deleted"_s).toUtf8(), "-");
        row("export: the name now reaches another org", [=](Ctx &c) { aliases(R"({"alias":"b","value":"c@x.com"})")(c); exportOld(c); },
            "Exporting b auth JSON...|" + changed.arg(u"exported"_s).toUtf8(), "-");
        const Step unreadable = [](Ctx &c) { c.fake.answer(kAliasRead.join(u'_'), {}, 1, "Error (E): boom"); };
        row("delete: the alias table cannot be read", [=](Ctx &c) { unreadable(c); c.store.deleteOrg(*c.store.selectedOrg()); },
            "Deleting connection b...|The CLI's alias table could not be read, so nothing ran for b: Error (E): boom", "-");
        row("open: the alias table cannot be read, by the username", [=](Ctx &c) { unreadable(c); c.store.openSelected(OpenTarget::systemDefault()); },
            "Opening b...|Opened b in System default.", "org open --target-org b@x.com");
        row("delete: the confirmed org has gone", [](Ctx &c) { CLIOrg o = *c.store.selectedOrg(); o.username = u"gone"_s; c.store.deleteOrg(o); },
            changed.arg(u"deleted"_s).toUtf8(), "");
        row("copy target: a line break refused", loadThen(kBase + QStringList{u"{\"username\":\"n\",\"alias\":\"n\\ny\",\"instanceUrl\":\"i\"}"_s},
            u"n"_s, [](Ctx &c) { c.store.copyTarget(); }), "Reading sf org list...|Loaded 5 CLI connections.|The target of n holds a line "
            "break or another control character; it was not copied, since a terminal would run what follows it.", listing, "5/5 > n");
        row("cancel a web login", [](Ctx &c) {
                c.fake.set(u"org_login_web"_s, u"delay"_s, "30");
                c.store.createConnection(LoginKind::production, {}, BrowserChoice::systemDefault, false);
                QTRY_VERIFY(c.fake.calls().size() == 3);
                c.store.cancelLogin();
            }, "Opening Salesforce login for Production. Complete login and click Allow in the browser...|Login cancelled.",
            "org login web --instance-url https://login.salesforce.com/");
    }

    void actions()
    {
        QFETCH(Step, step);
        QFETCH(QString, statuses);
        QFETCH(QString, calls);
        QFETCH(QString, after);
        QFETCH(QString, file);
        FakeScenario fake;
        QTemporaryDir dir;
        QStringList launched;
        auto browsers = std::make_shared<BrowserLocations>();
        browsers->chromeCandidates = {dir.filePath(u"chrome"_s)};
        browsers->launchDetached = [&](const QString &, const QStringList &a) { launched << "chrome "_L1 + a.join(u' '); };
        QVERIFY(QFile::link(kFake, browsers->chromeCandidates[0]) && writeOld(dir.filePath(u"old"_s)));
        OrgStore store(std::make_shared<const SFCLI>(kFake, QStringList()), browsers);
        fake.answer(u"org_list"_s, orgListJson(kBase));
        store.refresh();
        QTRY_VERIFY(store.status() == "Loaded 4 CLI connections."_L1 && store.connections() == OrgStore::Connections::checked);
        fake.answer(u"org_list"_s, orgListJson({u"a"_s, u"c+"_s, u"d+"_s}));
        QString copied;
        connect(&store, &OrgStore::textToCopy, this, [&](const QString &text) { copied += text; });
        QStringList said;
        QList<bool> busy;
        bool checked = false; // the check repeats the quick list's message: noted once
        connect(&store, &OrgStore::connectionsChanged, this, [&] { checked = store.connections() == OrgStore::Connections::checked; });
        connect(&store, &OrgStore::statusChanged, this, [&] {
            if (!std::exchange(checked, false) || said.value(said.size() - 1) != store.status())
                said << store.status();
        });
        connect(&store, &OrgStore::isBusyChanged, this, [&] { busy << store.isBusy(); });

        Ctx ctx{store, fake, dir.path()};
        step(ctx);
        const QStringList expected = statuses.split(u'|');
        QCOMPARE(said.value(0), expected.value(0)); // at once
        QTRY_COMPARE_WITH_TIMEOUT(busy, (calls.isEmpty() ? QList<bool>() : QList<bool>{true, false}), 30'000);
        calls.remove(QRegularExpression(u"^-$"_s)); // a job that ran no command
        QTRY_VERIFY(store.connections() != OrgStore::Connections::checking);
        QCOMPARE(said, expected);
        calls.replace(QRegularExpression(u"org list --json(\\||$)"_s), u"org list --json --skip-connection-status|org list --json\\1"_s);
        QTRY_VERIFY(fake.allEnded()); // a stopped job's command ends after the store is idle
        QCOMPARE((fake.commands(2) + launched).join(u'|').replace(dir.path(), u"~"_s), calls);
        const std::optional<CLIOrg> selected = store.selectedOrg();
        for (const CLIOrg &o : store.orgs())
            copied += o.isDefaultUsername.value_or(false) ? u" *"_s + o.username : QString();
        QCOMPARE(u"%1/%2 > %3 %4"_s.arg(store.orgs().size()).arg(store.filteredOrgs().size())
                     .arg(selected ? selected->username : u"none"_s, copied.trimmed()).trimmed(), after);
        QCOMPARE(fileState(dir.filePath(u"old"_s)), file);
    }

    // Busy until the last job ends, and the older list never replaces the newer one.
    void overlappingJobs()
    {
        FakeScenario fake;
        OrgStore store(std::make_shared<const SFCLI>(kFake, QStringList()), std::make_shared<BrowserLocations>());
        const QString quick = u"org_list_--json_--skip-connection-status/"_s;
        fake.answer(quick + u'1', orgListJson({u"slow"_s}));
        fake.set(quick + u'1', u"delay"_s, "30"_ba); // until released
        fake.answer(quick + u'2', orgListJson({u"new1"_s, u"new2"_s}));
        fake.answer(u"org_list"_s, orgListJson({u"new1"_s, u"new2"_s}));
        QStringList busy; // busy or not: the orgs listed then
        connect(&store, &OrgStore::isBusyChanged, this, [&] { busy << u"%1:%2"_s.arg(store.isBusy()).arg(store.orgs().size()); });
        store.refresh();
        QTRY_COMPARE(fake.calls().size(), 1); // the slow one has started
        store.refresh();
        QTRY_VERIFY(store.connections() == OrgStore::Connections::checked && store.orgs().size() == 2);
        fake.release(fake.calls().first().pid); // the older list arrives last
        QTRY_COMPARE(busy.join(u' '), u"1:0 1:0 1:2 0:2"_s);
        QCOMPARE(store.status(), u"Loaded 2 CLI connections."_s);
    }

    // Until the CLI answers, what its files tell is listed at once, selected by the usual rule, the
    // statuses unknown; the CLI's list then rules (a row it does not list goes, quietly).
    void filesFirst()
    {
        FakeScenario fake;
        QTemporaryDir home;
        for (const auto &[file, content] : {std::pair{".sfdx/a@x.example.json", "{'instanceUrl':'https:\\/\\/a'}"}, {".sfdx/b@x.example.json", "{'instanceUrl':'b'}"},
                                            {".sfdx/alias.json", "{'orgs':{'a':'a@x.example'}}"}, {".sf/config.json", "{'target-org':'b@x.example'}"}}) {
            QFile f(home.filePath(QLatin1StringView(file)));
            QVERIFY(QDir().mkpath(QFileInfo(f).path()) && f.open(QFile::WriteOnly) && f.write(QByteArray(content).replace('\'', '"')) > 0);
        }
        OrgStore store(std::make_shared<const SFCLI>(kFake, QStringList()), std::make_shared<BrowserLocations>());
        store.followCLI(home.path());
        // Where b opened, 100 days ago: the files still hold it, the CLI's list no longer does.
        CLIOrg b;
        b.username = u"b@x.example"_s;
        TargetMemory(home.filePath(u"settings"_s)).remember(b, {u"system"_s, false, {}}, QDate::currentDate().addDays(-100));
        store.setTargetMemory(std::make_shared<TargetMemory>(home.filePath(u"settings"_s)));
        for (const QString &list : {u"org_list"_s, u"org_list_--json_--skip-connection-status"_s})
            fake.answer(list, orgListJson({u"a"_s}));
        fake.set(u"org_list_--json_--skip-connection-status"_s, u"delay"_s, "60"_ba); // until released
        const auto shown = [&store]() -> QString {
            QStringList ids;
            for (const CLIOrg &org : store.orgs())
                ids << org.id() + (org.isDefaultUsername.value_or(false) ? u"*"_s : QString());
            return ids.join(u' ') + u' ' + store.selectedID().value_or(u"-"_s) + u' ' + QString::number(int(store.connections()));
        };
        store.refresh();
        QCOMPARE(shown(), u"a b@x.example* a 1"_s); // at once, before any list has ended
        QVERIFY(!store.isBusy() && store.listsCLIFiles()); // and actionable: opened while the CLI still lists
        store.openSelected(OpenTarget::systemDefault());
        QTRY_COMPARE(fake.commands().join(u'|'), u"org list --json --skip-connection-status|org open --target-org a"_s);
        fake.release(fake.calls().first().pid);
        QTRY_VERIFY(fake.allEnded() && store.connections() == OrgStore::Connections::checked && !store.listsCLIFiles());
        QCOMPARE(shown() + u' ' + store.status(), u"a a 0 Loaded 1 CLI connections."_s);
        QVERIFY(!TargetMemory(home.filePath(u"settings"_s)).recall(b));
        OrgStore unlisted(std::make_shared<const SFCLI>(kFake, QStringList()), std::make_shared<BrowserLocations>());
        unlisted.followCLI(home.path());
        fake.answer(u"org_list_--json_--skip-connection-status"_s, {}, 1, "Not listed.");
        fake.set(u"org_list_--json_--skip-connection-status"_s, u"delay"_s, "0"_ba);
        unlisted.refresh(); // the CLI fails: the files' orgs stay, their statuses unknown, and why is said
        QTRY_VERIFY(unlisted.connections() == OrgStore::Connections::unchecked);
        QCOMPARE(QString::number(unlisted.orgs().size()) + u' ' + unlisted.status(), u"2 Not listed."_s);
    }

    // Another program's changes to the CLI's files, each burst with the list it leads to: one quiet
    // reload (never busy, the pick kept), shown and checked only when the connections differ.
    void followsTheCLI()
    {
        FakeScenario fake;
        QTemporaryDir home;
        OrgStore store(std::make_shared<const SFCLI>(kFake, QStringList()), std::make_shared<BrowserLocations>());
        store.followCLI(home.path());
        fake.answer(u"org_list"_s, orgListJson({u"a"_s, u"b+"_s}));
        store.refresh();
        QTRY_VERIFY(store.connections() == OrgStore::Connections::checked && !store.isBusy());
        store.setSelectedID(u"a"_s);
        const auto settled = [] { QTest::qWait((CLIWatcher::kOwnGrace + CLIWatcher::kSettle).count()); }; // our commands' grace
        settled();
        int busy = 0;
        connect(&store, &OrgStore::isBusyChanged, this, [&] { ++busy; });
        // "-" before a folder removes it, "+" before a file appends to it, "@" points .sfdx at a folder.
        const auto write = [&](const QString &file) {
            QFile f(home.filePath(file.mid(1)));
            QVERIFY(file[0] == u'@' ? QFile::remove(home.filePath(u".sfdx"_s)) && QFile::link(file.mid(1), home.filePath(u".sfdx"_s))
                    : file[0] == u'-' ? QDir(f.fileName()).removeRecursively()
                                     : QDir().mkpath(QFileInfo(f).path()) && f.open(QFile::Append) && f.write("{}") == 2);
        };
        const auto change = [&](const QStringList &files, const QStringList &orgs, const QString &calls, const QString &status) {
            const qsizetype before = fake.calls().size();
            fake.answer(u"org_list"_s, orgListJson(orgs));
            for (const QString &file : files)
                write(file);
            QTRY_COMPARE_WITH_TIMEOUT(fake.commands(before).join(u'|'), calls, 10'000);
            QTRY_VERIFY(fake.allEnded() && store.connections() == OrgStore::Connections::checked);
            QTest::qWait((CLIWatcher::kOwnGrace + 2 * CLIWatcher::kSettle).count()); // nothing more follows
            QCOMPARE(fake.commands(before).join(u'|') + u' ' + store.status() + u' ' + store.selectedID().value_or(u"-"_s),
                     calls + u' ' + status + " a"_L1);
        };
        const QString quick = u"org list --json --skip-connection-status"_s, reload = quick + u"|org list --json"_s;
        change({u"+.sfdx/c@x.com.json"_s, u"+.sfdx/alias.json"_s, u"+.sf/config.json"_s}, {u"a"_s, u"b+"_s, u"c+"_s}, reload,
               u"The CLI's connections changed: 3 listed."_s);
        change({u"+.sfdx/alias.json"_s}, {u"c+"_s, u"a"_s, u"b+"_s}, quick, u"The CLI's connections changed: 3 listed."_s);
        change({u"+.sf/sf-2026-12-07.log"_s, u"+.sfdx/sfdx.log"_s}, {u"a"_s}, {}, u"The CLI's connections changed: 3 listed."_s);
        change({u"-.sfdx"_s}, {u"a"_s}, reload, u"The CLI's connections changed: 1 listed."_s);
        change({u"+.sfdx/x@x.com.json"_s}, {u"a"_s, u"x"_s}, reload, u"The CLI's connections changed: 2 listed."_s);
        QCOMPARE(busy, 0);
        // What another program writes while our refresh runs is followed once it ends; the auth file
        // every list rewrites is not.
        fake.set(u"org_list"_s, u"append"_s, QFile::encodeName(home.filePath(u".sfdx/x@x.com.json"_s)));
        fake.set(u"org_list"_s, u"delay"_s, "30");
        store.refresh();
        QTRY_COMPARE(fake.calls().size(), 10);
        fake.set(u"org_list"_s, u"delay"_s, "0");
        fake.answer(u"org_list"_s, orgListJson({u"a"_s, u"y"_s}));
        write(u"+.sfdx/alias.json"_s);
        QTest::qWait(2 * CLIWatcher::kSettle.count());
        QCOMPARE(fake.calls().size(), 10);
        fake.release(fake.calls()[9].pid);
        QTRY_COMPARE(fake.commands(9).join(u'|'), reload + u'|' + quick);
        settled();
        change({u"+.sf/sf-2026-12-08.log"_s}, {u"a"_s, u"y"_s}, {}, u"Loaded 2 CLI connections."_s);
        // While the check runs, an auth file added is another program's.
        fake.set(u"org_list"_s, u"delay"_s, "30");
        store.refresh();
        QTRY_COMPARE(fake.calls().size(), 13);
        fake.release(fake.calls()[12].pid);
        QTRY_COMPARE(fake.calls().size(), 14);
        QTest::qWait(2 * CLIWatcher::kSettle.count()); // its own rewrite is not
        QCOMPARE(fake.calls().size(), 14);
        fake.set(u"org_list"_s, u"delay"_s, "0");
        change({u"+.sfdx/z@x.com.json"_s}, {u"a"_s, u"y"_s, u"z"_s}, reload, u"The CLI's connections changed: 3 listed."_s);
        // A .sfdx that is a link is watched where it leads, and again when it is pointed elsewhere.
        fake.set(u"org_list"_s, u"append"_s, "/dev/null");
        QVERIFY(QDir(home.path()).rename(u".sfdx"_s, u"one"_s) && QFile::link(u"one"_s, home.filePath(u".sfdx"_s)));
        settled();
        write(u"+two/w@x.com.json"_s);
        change({u"@two"_s}, {u"a"_s, u"w"_s}, reload, u"The CLI's connections changed: 2 listed."_s);
        change({u"+.sfdx/v@x.com.json"_s}, {u"a"_s, u"v"_s, u"w"_s}, reload, u"The CLI's connections changed: 3 listed."_s);
    }

    // Every rule that places the selection after a reload, on the list a, b+, c+ and the org
    // hidden by c's alias (~c+).
    void selection_data()
    {
        QTest::addColumn<SelectionPolicy::Input>("input");
        QTest::addColumn<QString>("selected"); // id, and "@username" when named so; "-": none
        using enum SelectionPolicy::Rule;
        using enum SelectionPolicy::Step;
        const OrgRef a{u"a"_s, u"a@x.com"_s}, byID{u"a"_s, {}}, gone{u"z"_s, {}}, hidden{u"c"_s, u"c"_s}, renamed{u"old"_s, u"a@x.com"_s};
        const auto row = [](const char *tag, SelectionPolicy::Input input, const char *selected) {
            QTest::newRow(tag) << input << QString::fromUtf8(selected);
        };
        row("refresh keeps a listed selection", {keep, {}, a, {}, false, firstList}, "a@a@x.com");
        row("refresh keeps an org whose alias changed", {keep, {}, renamed, {}, false, firstList}, "a@a@x.com");
        row("refresh keeps the hidden org", {keep, {}, hidden, {}, false, firstList}, "c@c");
        row("refresh: else the first connected", {keep, {}, gone, {}, false, firstList}, "b@b@x.com");
        row("delete always falls back", {fallBack, u"a"_s, a, a, false, firstList}, "b@b@x.com");
        row("create prefers the new alias", {preferNew, u"c"_s, a, a, false, firstList}, "c@c@x.com");
        row("create: an unlisted alias falls back", {preferNew, u"z"_s, a, a, false, firstList}, "b@b@x.com");
        row("check: the rule again from before", {keep, {}, a, byID, false, checked}, "a@a@x.com");
        row("check: never away from a pick", {fallBack, {}, a, renamed, true, checked}, "a@a@x.com");
        row("check: a pick that has gone, nothing", {keep, {}, a, gone, true, checked}, "-");
        row("check failed: the rule", {fallBack, {}, a, a, false, checkFailed}, "b@b@x.com");
        row("check failed: the pick", {fallBack, {}, a, a, true, checkFailed}, "a@a@x.com");
    }

    void selection()
    {
        QFETCH(SelectionPolicy::Input, input);
        QFETCH(QString, selected);
        const QList<CLIOrg> orgs = OrgList::decode(orgListJson({u"a"_s, u"b+"_s, u"c+"_s, u"~c+"_s}));
        const std::optional<OrgRef> chosen = SelectionPolicy::choose(input, orgs);
        QCOMPARE(chosen ? chosen->id + (chosen->username ? u'@' + *chosen->username : QString()) : u"-"_s, selected);
        QCOMPARE(SelectionPolicy::choose(input, {}), std::nullopt);
    }

    // A reload shows the quick list and selects at once, and its check ends as a one-step reload
    // would: after a first list, a delete, a pick or an action during it, a newer reload, failures.
    void reloads_data()
    {
        QTest::addColumn<bool>("primed"); // a list checked before
        QTest::addColumn<Step>("step"); // sets the answers and starts the action
        QTest::addColumn<Step>("during"); // while the check waits
        QTest::addColumn<QString>("atQuick"); // orgs (+ connected) > selection phase status
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("calls"); // after priming
        const auto row = [](const char *tag, bool primed, const Step &step, const Step &during, const char *atQuick,
                            const char *after, const char *calls = "quick|full") {
            QTest::newRow(tag) << primed << step << during << QString::fromUtf8(atQuick) << QString::fromUtf8(after)
                               << QString::fromUtf8(calls);
        };
        const Step refresh = [](Ctx &c) { c.store.refresh(); }, nothing = [](Ctx &) {}, copy = [](Ctx &c) { c.store.copyTarget(); };
        const auto failing = [](const char *command, const QByteArray &err, const Step &then) {
            return [=](Ctx &c) { c.fake.answer(QString::fromUtf8(command), {}, 1, err); then(c); };
        };
        const Step noNetwork = failing("org_list_--json", "Error (F): no network", refresh);
        const char *loaded = "b+ c+ a > b 1 Loaded 3 CLI connections.", *failed = "b+ c+ a > b 2 Error (F): no network";
        row("first list: the first org at once, then the first connected", false, refresh, nothing,
            "a b c > a 1 Loaded 3 CLI connections.", "b+ c+ a > b 0 Loaded 3 CLI connections.");
        row("first list, the check fails: the first org stays", false, noNetwork, nothing,
            "a b c > a 1 Loaded 3 CLI connections.", "a b c > a 2 Error (F): no network");
        row("a failed check keeps the last statuses", true, noNetwork, nothing, loaded, failed);
        row("a failed check is said after another message", true, noNetwork, copy, loaded, failed);
        row("a check leaves another message", true, refresh, copy, loaded, "b+ c+ a > b 0 Copied target: b");
        row("an action during the check picks its org", false, refresh, copy, "a b c > a 1 Loaded 3 CLI connections.",
            "b+ c+ a > a 0 Copied target: a");
        row("delete: the fallback at once and after the check", true, [](Ctx &c) {
                c.fake.answer(u"org_list_--json_--skip-connection-status"_s, orgListJson({u"c?"_s, u"a?"_s}));
                c.fake.answer(u"org_list_--json"_s, orgListJson({u"c"_s, u"a+"_s}));
                c.store.selectOrg(*c.store.selectedOrg()); // a pick counts only until the list it was made in goes
                c.store.deleteOrg(*c.store.selectedOrg());
            }, nothing, "c+ a > c 1 Deleted connection b.", "a+ c > a 0 Deleted connection b.", "logout|quick|full");
        row("a pick during a delete's check outlives its fallback", true, [](Ctx &c) {
                c.fake.answer(u"org_list_--json"_s, orgListJson({u"c"_s, u"a+"_s, u"b"_s}));
                c.store.deleteOrg(*c.store.selectedOrg());
            }, [](Ctx &c) { c.store.selectOrg(c.store.orgs()[1]); }, "b+ c+ a > b 1 Deleted connection b.",
            "a+ b c > c 0 Deleted connection b.", "logout|quick|full");
        row("a newer reload replaces the check", true, refresh, [](Ctx &c) {
                c.fake.answer(u"org_list_--json"_s, orgListJson({u"c"_s, u"a+"_s, u"b"_s}));
                c.store.refresh();
            }, loaded, "a+ b c > b 0 Loaded 3 CLI connections.", "quick|full|quick|full");
        row("the quick list fails: no full list", true, failing("org_list_--json_--skip-connection-status",
            "Error (T): Salesforce CLI command timed out.", refresh), nothing,
            "b+ c+ a > b 0 Error (T): Salesforce CLI command timed out.", "", "quick");
        row("a CLI without the quick list: the full one in one step", false, [](Ctx &c) {
                c.fake.answer(u"org_list_--json_--skip-connection-status"_s, kNoSuchFlag, 2);
                c.fake.set(u"org_list_--json"_s, u"delay"_s, "0");
                c.store.refresh();
            }, nothing, "b+ c+ a > b 0 Loaded 3 CLI connections.", "", "quick|full");
    }

    void reloads()
    {
        QFETCH(bool, primed);
        QFETCH(Step, step);
        QFETCH(Step, during);
        QFETCH(QString, atQuick);
        QFETCH(QString, after);
        QFETCH(QString, calls);
        FakeScenario fake;
        OrgStore store(std::make_shared<const SFCLI>(kFake, QStringList()), std::make_shared<BrowserLocations>());
        const auto state = [&]() -> QString {
            QString out;
            for (const CLIOrg &o : store.orgs())
                out += o.id() + (o.isConnected() ? u"+ "_s : u" "_s);
            return out + u"> %1 %2 %3"_s.arg(store.selectedID().value_or(u"-"_s)).arg(int(store.connections())).arg(store.status());
        };
        fake.answer(u"org_list_--json_--skip-connection-status"_s, orgListJson({u"c?"_s, u"a?"_s, u"b?"_s}));
        fake.answer(u"org_list_--json"_s, orgListJson({u"c+"_s, u"a"_s, u"b+"_s}));
        if (primed) {
            store.refresh();
            QTRY_VERIFY(store.connections() == OrgStore::Connections::checked && !store.isBusy());
        }
        const qsizetype before = fake.calls().size();
        fake.set(u"org_list_--json"_s, u"delay"_s, "30");
        Ctx ctx{store, fake, {}};
        step(ctx);
        QTRY_VERIFY(!store.isBusy());
        QCOMPARE(state(), atQuick);
        if (!after.isEmpty()) {
            during(ctx);
            QTRY_VERIFY(!store.isBusy());
            QTRY_VERIFY(fake.calls().last().args.join(u' ') == "org list --json"_L1); // the check of the list shown
            fake.release(fake.calls().last().pid);
            QTRY_VERIFY_WITH_TIMEOUT(store.connections() != OrgStore::Connections::checking, 10'000);
            QCOMPARE(state(), after);
        }
        QTRY_VERIFY(fake.allEnded());
        QStringList commands = fake.commands(before);
        commands.replaceInStrings(u"org list --json --skip-connection-status"_s, u"quick"_s);
        commands.replaceInStrings(u"org list --json"_s, u"full"_s).replaceInStrings(u"org logout --target-org b --no-prompt"_s, u"logout"_s);
        QCOMPARE(commands.join(u'|'), calls);
    }

    // A stand-in that keeps the CLI's files, edited as another program would: the selection stays the
    // org, a command names the org shown or nothing, a malformed alias entry is skipped alone.
    void neverTheWrongOrg()
    {
        QTemporaryDir home;
        qputenv("FILES_SF_HOME", QFile::encodeName(home.path()));
        const auto write = [&](const QString &file, const QByteArray &json) {
            QFile f(home.filePath(u".sfdx/"_s + file));
            QVERIFY(QDir().mkpath(home.filePath(u".sfdx"_s)) && f.open(QFile::WriteOnly) && f.write(json) == json.size());
        };
        for (const QString &user : {u"a@x.com"_s, u"b@x.com"_s, u"c@x.com"_s})
            write(user + ".json"_L1, "{}");
        const auto aliases = [&](const char *pairs) { write(u"alias.json"_s, "{\"orgs\": {"_ba + pairs + "}}"); };
        aliases(R"("a": "a@x.com", "b": "b@x.com")");
        auto cli = std::make_shared<SFCLI>(QFileInfo(kFake).path() + "/files-sf"_L1, QStringList());
        cli->setHome(home.path());
        OrgStore store(cli, std::make_shared<BrowserLocations>());
        store.followCLI(home.path());
        QStringList said;
        connect(&store, &OrgStore::statusChanged, this, [&] { said << store.status(); });
        const auto reached = [&] { return fileState(home.filePath(u"reached"_s)).section(u' ', 1); }; // a line each
        const auto org = [&](const QString &username) { return *std::find_if(store.orgs().cbegin(), store.orgs().cend(), [&](const CLIOrg &o) { return o.username == username; }); };
        store.refresh();
        QTRY_VERIFY(store.connections() == OrgStore::Connections::checked && !store.isBusy());
        store.selectOrg(org(u"b@x.com"_s));
        aliases(R"("a": "a@x.com", "b2": "b@x.com")"); // renamed in a terminal
        QTRY_COMPARE(store.selectedID(), u"b2"_s);
        store.openSelected(OpenTarget::systemDefault());
        QTRY_COMPARE(reached(), u"b@x.com\n"_s);
        aliases(R"("a": "a@x.com", "b2": "c@x.com")"); // re-pointed right before Open, before the list follows
        store.openSelected(OpenTarget::systemDefault());
        QTRY_VERIFY(said.contains(u"b2 now reaches c@x.com instead of b@x.com, so nothing ran."_s));
        QTRY_VERIFY(store.selectedID() == "b@x.com"_L1 && store.targetOf(org(u"c@x.com"_s)) == "b2"_L1);
        aliases(R"("broken": 5, "c@x.com": "a@x.com", "a": "a@x.com")"); // c@x.com now reaches a@x.com
        QTRY_VERIFY(store.status().endsWith("reach no org: broken."_L1) && store.isUnreachable(org(u"c@x.com"_s)));
        store.deleteOrg(org(u"c@x.com"_s));
        QCOMPARE(store.status(), AppError::hiddenByAlias(u"c@x.com"_s).description());
        QVERIFY(reached() == "b@x.com\n"_L1 && QFile::exists(home.filePath(u".sfdx/a@x.com.json"_s)));
    }

    // A store destroyed mid-job ends its children, even one that ignores the termination request, and
    // applies nothing (checked under the sanitizers); a quit stops a web login at once, lets a
    // clean-up finish its command and starts no other.
    void stoppedJobs()
    {
        for (const bool destroy : {true, false}) {
            FakeScenario fake;
            fake.answer(u"org_list"_s, orgListJson({u"a"_s}));
            fake.set(u"org_list"_s, u"delay"_s, destroy ? "30"_ba : "0.3"_ba);
            fake.set(u"org_login_web"_s, u"delay"_s, "30"_ba);
            for (const QString &command : {u"org_list"_s, u"org_login_web"_s})
                fake.set(command, u"ignore-term"_s, {});
            auto cli = std::make_shared<SFCLI>(kFake, QStringList());
            cli->setKillGrace(std::chrono::milliseconds(300));
            auto store = std::make_unique<OrgStore>(cli, std::make_shared<BrowserLocations>());
            store->createConnection(LoginKind::production, {}, BrowserChoice::systemDefault, false);
            store->cleanUpScratchOrgs(2);
            const QList<OrgStore::RunningJob> jobs = store->runningJobs();
            QVERIFY(jobs.size() == 2 && jobs[0].stopsAtOnce && !jobs[1].stopsAtOnce);
            QTRY_COMPARE(fake.calls().size(), 2);
            const auto started = std::chrono::steady_clock::now();
            if (destroy)
                store.reset();
            else
                store->shutDown(std::chrono::seconds(60));
            QVERIFY2(std::chrono::steady_clock::now() - started < std::chrono::seconds(20), "the login was not stopped at once");
            QVERIFY(!store || (store->status() == "Removing the connections of 2 expired scratch orgs..."_L1 && store->orgs().isEmpty()));
            QVERIFY(fake.allEnded() && fake.allCalls().size() == 2); // neither reload, nor a check or logout, ever started
        }
    }

    // Owner-only from the start, replacing what was there; a failure leaves all as it was.
    void secretFile()
    {
        for (const auto &[name, error] : {std::pair(u"old"_s, QString()), {QString(250, u'n'), {}}, // the longest name
                                          {u"folder"_s, u"Is a directory"_s}, {u"gone/x"_s, u"No such file or directory"_s}}) {
            QTemporaryDir dir;
            QVERIFY(writeOld(dir.filePath(u"old"_s)) && QDir(dir.path()).mkdir(u"folder"_s));
            try {
                SecretFile::write(dir.filePath(name), kAuth);
                QVERIFY(error.isNull());
            } catch (const FileWriteError &e) {
                QCOMPARE(e.description(), u"Could not write %1: %2."_s.arg(dir.filePath(name), error));
            }
            const QString written = "600 "_L1 + QString::fromUtf8(kAuth);
            QCOMPARE(fileState(dir.filePath(u"old"_s)), error.isNull() && name == "old"_L1 ? written : u"604 old"_s);
            QStringList files{u"folder"_s, u"old"_s};
            if (error.isNull() && !files.contains(name)) {
                QCOMPARE(fileState(dir.filePath(name)), written);
                files << name;
            }
            files.sort();
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), files);
        }
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
