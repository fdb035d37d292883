// The CLI adapter without the runner's own cases: decoding `sf org list --json` and the display
// order, each command's arguments against the fake `sf`, pages, the front-door address search,
// the alias proposed for an imported auth file, and the CLI's own files read before it answers.
#include "AuthFile.h"
#include "CLIFiles.h"
#include "CLIFailure.h"
#include "FakeScenario.h"
#include "LoginOptions.h"
#include "OrgList.h"
#include "OrgPage.h"

#include <QLocale>
#include <functional>
#include <sys/stat.h>

namespace {

const QByteArray kOk = "{'username':'u','instanceUrl':'i'";

QByteArray listOf(const QByteArray &result, const QByteArray &status = "0")
{
    return "{'status':" + status + ",'result':" + result + ",'warnings':[]}";
}

// Each org as "category:username", "=alias" when present, "+n" for the n other optionals present.
QString summary(const QList<CLIOrg> &orgs)
{
    QStringList out;
    for (const CLIOrg &o : orgs) {
        const int more = o.loginUrl.has_value() + o.orgId.has_value() + o.clientId.has_value()
            + o.connectedStatus.has_value() + o.isSandbox.has_value()
            + o.isDefaultUsername.has_value() + o.devHubUsername.has_value() + o.edition.has_value() + o.expirationDate.has_value();
        out << o.category + u':' + o.username + (o.alias ? u'=' + *o.alias : QString())
                + (more ? u"+%1"_s.arg(more) : QString());
    }
    return out.join(u',');
}

QStringList names(const QList<CLIOrg> &orgs)
{
    QStringList out;
    for (const CLIOrg &o : orgs)
        out << o.displayName();
    return out;
}

CLIOrg org(const QString &name, const QString &status = {}, std::optional<QString> alias = {})
{
    return {alias, name, u"https://x.my.salesforce.com"_s, {}, {}, {},
            status.isEmpty() ? std::nullopt : std::optional(status), {}, {}, {}};
}

// A document written with ' for ", and what it decodes to, or ("!") the problem the failure names.
void decodeRow(const char *tag, QByteArray json, const QByteArray &outcome)
{
    QTest::newRow(tag) << json.replace('\'', '"') << QString::fromUtf8(outcome);
}

using Command = std::function<void(const SFCLI &)>;
using K = LoginKind;
using B = BrowserChoice;

const QByteArray kAnswer = "\n {\"status\":0,\"result\":{\"url\":\"https://acme.my.salesforce.com/"
                           "secur/frontdoor.jsp?otp=Zk9v.x_Y-1%3D%3D&cshc=a1B2\"}}\n\n";

void commandRow(const char *tag, const Command &command, const QString &args, double timeout)
{
    QTest::newRow(tag) << command << args.split(u'|') << timeout;
}

template<typename Method, typename... Args>
Command on(Method method, Args... args)
{
    return [=](const SFCLI &c) { std::invoke(method, c, args...); };
}

struct WatchedCLI : SFCLI
{
    using SFCLI::SFCLI;
    mutable QList<std::pair<QStringList, double>> runs;
    QByteArray runForOutput(const QStringList &arguments, double timeout) const override
    {
        runs.append({arguments, timeout});
        return SFCLI::runForOutput(arguments, timeout);
    }
};

// An auth URL where the CLI puts it: under "result" (as it exports), at the top, or as "url".
QByteArray authJson(const char *place, const QByteArray &url)
{
    QByteArray json = (qstrcmp(place, "url") ? "{'sfdxAuthUrl':'" : "{'url':'") + url + "'}";
    if (qstrcmp(place, "result") == 0)
        json = "{'status':0,'result':" + json + '}';
    return json.replace('\'', '"');
}

const QByteArray kSandbox = "force://PlatformCLI::5Aep.qa@acme--uat.sandbox.my.salesforce.com";
// Names a different org: a proposal taken from it shows that the file was read.
const QByteArray kElsewhere = authJson("result", "force://c::t@elsewhere.my.salesforce.com");

// What stands at the path: 'f' a file holding `content`, 'p' a named pipe, '-' nothing; what is
// made is named up to a NUL in `name`.
void aliasRow(const char *tag, const QString &name, const char *expected, char entry = '-',
         const QByteArray &content = {})
{
    QTest::newRow(tag) << name << entry << content << QString::fromUtf8(expected);
}

} // namespace

class TestCLI : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A recorded `org list --json`, decoded and sorted; the deprecated duplicate array is ignored.
    void realOutput()
    {
        FakeScenario fake;
        fake.answer({}, fixture(u"org-list-three-orgs.json"_s));
        const SFCLI cli(kFake, {});
        const QList<CLIOrg> orgs = cli.orgs();
        QCOMPARE(names(orgs),
                 (QStringList{u"acme-prod"_s, u"acme-uat"_s, u"dev@widgets.example"_s}));
        QCOMPARE(orgs[1], (CLIOrg{u"acme-uat"_s, u"qa@acme-prod.example.uat"_s,
                                  u"https://acme--uat.sandbox.my.salesforce.com"_s,
                                  u"https://test.salesforce.com"_s, u"00DVA000001UaTq2AK"_s,
                                  u"PlatformCLI"_s, u"ENOTFOUND"_s, true, false, u"Sandboxes"_s}));
        QCOMPARE(orgs[1].subtitle(),
                 u"qa@acme-prod.example.uat | https://acme--uat.sandbox.my.salesforce.com"_s);
        QCOMPARE(orgs[2].isDefaultUsername, true);
    }

    // The decoder reads JSON itself: exactly the JSON grammar (stricter than Qt's reader) and
    // strings to the letter.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("outcome");
        decodeRow("nulls absent, empty categories, entries without username or URL skipped",
            listOf("{'sandboxes':null,'devHubs':[],'other':[" + kOk + ",'alias':null,'isSandbox':null},{'username':'u'},"
                   "{'username':null,'instanceUrl':'i'},{'username':'','instanceUrl':'','alias':''}]}"),
            "Other:u,Other:=");
        const QByteArray hub = "{'username':'hub','instanceUrl':'i','isSandbox':false}";
        decodeRow("category order, an org in two, status 1.0, unknown keys anywhere",
            listOf("{'scratchOrgs':[{'username':'s','instanceUrl':'i','z':{'a':[null]}}],'y':{},'devHubs':[" + hub
                   + "],'other':[" + hub + "],'sandboxes':[{'username':'b','instanceUrl':'i'}]}", "1.0"),
            "Sandboxes:b,Other:hub+1,Dev Hubs:hub+1,Scratch Orgs:s");
        decodeRow("escapes, raw UTF-8, numbers, nesting, white space",
            " \r\n\t{ 'status' : 0 , 'x':[0,-0,1.5,-2e10,3E+2,4e-2,1e400," + QByteArray(100, '[') + QByteArray(100, ']')
                + "], 'result' : { 'oth\\u0065r' : [ " + kOk
                + ",'alias':'a\\'b\\\\c\\/d\\b\\f\\n\\r\\t\\u00e9\\ud83d\\ude00\\ud83dy plain run then Zoë'} ] } } \n",
            "Other:u=a\"b\\c/d\b\f\n\r\té😀\ufffdy plain run then Zoë");

        // A scratch org's fields are extras: of a wrong type, absent. The CLI's warning that it hides
        // expired scratch orgs counts them, known by its meaning wherever it stands.
        decodeRow("scratch fields, the hidden scratch orgs' warning",
            "{'status':0,'warnings':[7,'Other 9.',{},'You have 3 expired or deleted local scratch org authorizations. To remove "
            "authorizations for inactive orgs, run \\'sf org list --clean\\'.\\n'],'result':{'scratchOrgs':[{'username':'s','instanceUrl':'i',"
            "'devHubUsername':'hub','edition':'Developer','expirationDate':'2026-12-20'},{'username':'t','instanceUrl':'i','edition':5,"
            "'expirationDate':null,'devHubUsername':['x']}]}}",
            "Scratch Orgs:s+3,Scratch Orgs:t hidden 3");
        decodeRow("boolean as a string",
            listOf("{'sandboxes':[" + kOk + "}," + kOk + ",'isSandbox':'true'}]}"),
            "!result.sandboxes[1].isSandbox: expected a boolean or null, found a string.");
        decodeRow("wrong type in a skipped entry", listOf("{'devHubs':[{'alias':5}]}"),
            "!result.devHubs[0].alias: expected a string or null, found a number.");
        decodeRow("entry not an object", listOf("{'scratchOrgs':[" + kOk + "},null]}"),
            "!result.scratchOrgs[1]: expected an object, found null.");
        decodeRow("category not an array", listOf("{'other':{}}"),
            "!result.other: expected an array or null, found an object.");
        decodeRow("result missing", "{'status':0}", "!result: required key is missing.");
        decodeRow("status missing", "{'result':{}}", "!status: required key is missing.");
        decodeRow("status 1.5", listOf("{}", "1.5"), "!status: expected an integer, found a number.");
        decodeRow("empty output", " \n", "!the output is empty.");
        // A grammar rejection names its problem (the org list fuzzer's seeds hold one of each).
        decodeRow("illegal value", listOf("{'other':[" + kOk + ",'alias':nul}]}"), "!not valid JSON (illegal value at offset 73).");
    }

    void decode()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, outcome);
        QString decoded;
        int hidden = 0;
        const auto error = failureOf<OrgListDecodingError>([&] { decoded = summary(OrgList::decode(json, &hidden)); });
        decoded += hidden ? " hidden "_L1 + QString::number(hidden) : QString();
        QCOMPARE(error ? QString(error->description()).replace(u"Unexpected org list from sf: "_s, u"!"_s) : decoded, outcome);
    }

    // Connected ("Connected" exactly) first; case ignored ("alpha" before "Beta"); equal names
    // keep the CLI order; an empty alias shows the username.
    void sort()
    {
        for (const char *locale : {"C", "en_US"}) {
            QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
            QList<CLIOrg> orgs{org(u"beta"_s, u"Connected "_s), org(u"Beta"_s, {}, u"Alpha"_s),
                               org(u"zed"_s, u"Connected"_s), org(u"alpha"_s, u"connected"_s, u""_s),
                               org(u"Same"_s, u"Connected"_s), org(u"same"_s, u"Connected"_s),
                               org(u"Échelle"_s), org(u"Zulu"_s)};
            OrgList::sortForDisplay(orgs);
            QLocale::setDefault(QLocale::c());
            const QStringList sorted = names(orgs);
            QCOMPARE(sorted.first(6), (QStringList{u"Same"_s, u"same"_s, u"zed"_s, u"Alpha"_s,
                                                   u"alpha"_s, u"beta"_s}));
            if (qstrcmp(locale, "C")) // a real collation puts accented letters next to their base
                QCOMPARE(sorted.mid(6), (QStringList{u"Échelle"_s, u"Zulu"_s}));
        }
    }

    void arguments_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<double>("timeout");
        commandRow("orgs", on(&SFCLI::orgs, SFCLI::ConnectionCheck::run, static_cast<int *>(nullptr)), u"org|list|--json"_s, 60);
        commandRow("clean scratch orgs", on(&SFCLI::cleanScratchOrgs), u"org|list|--clean|--no-prompt|--skip-connection-status|--json"_s, 120);
        // A value beginning with "-" is joined to its option, so it is never read as an option.
        commandRow("open dash target", on(&SFCLI::open, u"-x"_s, false, QString()), u"org|open|--target-org=-x"_s, 60);
        commandRow("openURL of a page", on(&SFCLI::openURL, u"a"_s, QString(), u"/x"_s), u"org|open|--target-org|a|--url-only|--json|--path|/x"_s, 60);
        commandRow("setDefault", on(&SFCLI::setDefault, u"a@b.example"_s), u"config|set|target-org=a@b.example|--global"_s, 30);
        commandRow("logout dash target", on(&SFCLI::logout, u"-a"_s), u"org|logout|--target-org=-a|--no-prompt"_s, 60);
        // The output as printed, not trimmed: it is the file's content.
        commandRow("exportAuth dash target", [](const SFCLI &c) { QCOMPARE(c.exportAuth(u"-a"_s), QString::fromUtf8(kAnswer)); },
            u"org|auth|show-sfdx-auth-url|--target-org=-a|--json"_s, 60);
        const QString prod = u"org|login|web|--instance-url|https://login.salesforce.com/"_s;
        const QString test = u"org|login|web|--instance-url|https://test.salesforce.com/"_s;
        commandRow("login blank alias", on(&SFCLI::login, K::production, u" \u2003 "_s, B::systemDefault, false), prod, 900);
        commandRow("login inner space kept, firefox, set default", on(&SFCLI::login, K::sandbox, u"\n\tacme uat \r\n"_s, B::firefox, true),
            test + "|--alias|acme uat|--browser|firefox|--set-default"_L1, 900);
        commandRow("login dash alias, chrome", on(&SFCLI::login, K::sandbox, u"-a"_s, B::chrome, false), test + "|--alias=-a|--browser|chrome"_L1, 900);
        const QString file = u"/home/u/My Files/a.json"_s;
        commandRow("importAuth blank alias", on(&SFCLI::importAuth, file, u"  "_s, false), "org|login|sfdx-url|--sfdx-url-file|"_L1 + file, 60);
        commandRow("importAuth dash alias, dash file", on(&SFCLI::importAuth, u"-f"_s, u" -a"_s, false),
            u"org|login|sfdx-url|--sfdx-url-file=-f|--alias=-a"_s, 60);
    }

    // What the runner is asked for, one run per command. Success is the exit status alone; a failure
    // carries the CLI's text as it printed it, only trimmed, even when the output holds an address.
    void arguments()
    {
        QFETCH(Command, command);
        QFETCH(QStringList, args);
        QFETCH(double, timeout);
        FakeScenario fake;
        fake.answer({}, kAnswer, 0, "Warning: something\n");
        const WatchedCLI cli(kFake, {});
        command(cli);
        QCOMPARE(cli.runs, (QList<std::pair<QStringList, double>>{{args, timeout}}));
        const QByteArray text = fixture(u"config-set-outside-project.stderr"_s);
        fake.answer({}, kAnswer, 1, text);
        const std::optional<AppError> error = failureOf([&] { command(cli); });
        QVERIFY(error && error->kind() == AppError::Kind::commandFailed);
        QCOMPARE(error->description(), QString::fromUtf8(text).trimmed());
    }

    // A page by its name, or a path of the org: "label|path", or what the refusal quotes.
    void pages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("page");
        for (const auto &[text, page] : {
                 std::pair(" OBJECT MANAGER ", "Object Manager|/lightning/setup/ObjectManager/home"), {"Users", "Users|/lightning/setup/ManageUsers/home"},
                 {"developer-console", "Developer Console|/_ui/common/apex/debug/ApexCSIPage"}, {"deployment-status", "Deployment Status|/lightning/setup/DeployStatus/home"},
                 {"Debug Logs", "Debug Logs|/lightning/setup/ApexDebugLogs/home"}, {"flows", "Flows|/lightning/setup/Flows/home"}, {"home", "Home|"},
                 {" /apex/P?id=1#x \n", "/apex/P?id=1#x|/apex/P?id=1#x"}, {"lightning/setup", "\"lightning/setup\""}, {"/a b", "\"/a b\""},
                 {"https://ACME.my.salesforce.com/lightning/o/Account/list?a=b", "/lightning/o/Account/list?a=b|/lightning/o/Account/list?a=b"},
                 {"/a\u202Eb", "\"/a\u202Eb\""}, {"/a\u0007", "\"/a\u0007\""}, {"https://evil.example/x", "\"https://evil.example/x\""},
                 {"http://acme.my.salesforce.com/x", "\"http://acme.my.salesforce.com/x\""}, {"https://u@acme.my.salesforce.com/x", "\"https://u@acme.my.salesforce.com/x\""},
                 {" \n", "Home|"}})
            QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(page);
    }

    void pages()
    {
        QFETCH(QString, text);
        QFETCH(QString, page);
        const std::variant<OrgPage, QString> resolved = OrgPage::resolve(text, u"https://acme.my.salesforce.com"_s);
        if (const OrgPage *found = std::get_if<OrgPage>(&resolved))
            QCOMPARE(found->label + u'|' + found->path, page);
        else
            QCOMPARE(std::get<QString>(resolved), page + " is not a page of this org: give a path that begins with \"/\" (not \"//\") and has no "
                                                         "spaces, or a page's name."_L1);
    }

    void openURL_data()
    {
        QTest::addColumn<QByteArray>("output"); // JSON written with ' for "
        QTest::addColumn<QString>("expected"); // empty: noOpenURL
        const auto commandRow = [](const char *tag, const char *output, const char *expected = "") {
            QTest::newRow(tag) << QByteArray(output).replace('\'', '"') << QString::fromUtf8(expected);
        };
        // In the CLI's JSON: result.url, result.orgUrl, result.frontDoorUrl, the top-level url.
        commandRow("orgUrl next", "{'url':'https://t.example/','result':{'frontDoorUrl':'https://b.example/f','orgUrl':'https://o.example/o'}}",
            "https://o.example/o");
        commandRow("frontDoorUrl next", "{'url':'https://t.example/','result':{'url':{'href':'x'},'orgUrl':7,'frontDoorUrl':'https://b.example/f'}}",
            "https://b.example/f");
        commandRow("unsafe candidates passed over", "{'url':'https://t.example/ok','result':{'url':'--renderer-cmd-prefix=x',"
            "'orgUrl':'ftp://o.example/','frontDoorUrl':'https://bad host/'}}", "https://t.example/ok");
        commandRow("a warning line with a link, then the JSON", "Warning: see https://developer.salesforce.com/docs\n"
            "{'result':{'url':'http://acme.my.salesforce.com/secur?otp=1'}}\n", "http://acme.my.salesforce.com/secur?otp=1");
        // Free text: only an address on the org's own host.
        commandRow("address followed by a closing quote", "Open this: \"https://acme.my.salesforce.com/secur?otp=q\"\nDone",
            "https://acme.my.salesforce.com/secur?otp=q");
        commandRow("other sites passed over", "{'result':{}} https://docs.example/x https://acme.my.salesforce.com/ok",
            "https://acme.my.salesforce.com/ok");
        commandRow("other schemes and relative addresses", "{'url':'https:///nohost','result':{'url':'javascript:void','orgUrl':"
            "'file:///etc/passwd','frontDoorUrl':'/secur/frontdoor.jsp?otp=1'}}");
    }

    void openURL()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, expected);
        FakeScenario fake;
        fake.answer({}, output);
        QUrl url;
        const std::optional<AppError> error = failureOf([&] { url = SFCLI(kFake, {}).openURL(u"acme"_s, u"https://ACME.my.salesforce.com"_s); });
        QCOMPARE(url.toString(QUrl::FullyEncoded), expected);
        QCOMPARE(error.has_value(), expected.isEmpty());
        QVERIFY(!error || (error->kind() == AppError::Kind::noOpenURL && error->description() == "Salesforce CLI did not return an open URL."_L1));
    }

    // What a failure says first: the CLI's name and message, not its document; a next step for the
    // kinds that have one.
    void failures_data()
    {
        QTest::addColumn<QString>("printed");
        QTest::addColumn<QString>("expected"); // kind|name|message's last line
        const auto row = [](const char *tag, const QByteArray &printed, const char *expected) {
            QTest::newRow(tag) << QString::fromUtf8(printed) << QString::fromUtf8(expected);
        };
        row("unknown target, open", fixture(u"org-open-unknown-target.json"_s), "2|NamedOrgNotFoundError|See more help with --help");
        row("unknown target, logout", fixture(u"org-logout-unknown-target.json"_s),
            "2|NoAuthFoundForTargetOrgError|No authenticated org found with the nosuch username or alias.");
        row("garbage auth URL", fixture(u"login-sfdx-url-garbage.json"_s), "0|INVALID_SFDX_AUTH_URL|Invalid SFDX");
        row("expired token", R"({"name":"RefreshTokenAuthError","message":"Error authenticating with the refresh token due to: expired access/refresh token","stack":"at x"})",
            "1|RefreshTokenAuthError|Error authenticating with the refresh token due to: expired access/refresh token");
        row("revoked, by its words", R"({"code":"x","message":"invalid_grant"})", "1|x|invalid_grant");
        row("plain text", fixture(u"config-set-outside-project.stderr"_s), "0||Run with --global to set for your entire workspace.");
        row("a document without a message", R"({"name":"Error","stack":"at x"})", "0||{\"name\":\"Error\",\"stack\":\"at x\"}");
    }

    void failures()
    {
        QFETCH(QString, printed);
        QFETCH(QString, expected);
        const CLIFailure failure = CLIFailure::read(printed.trimmed());
        const QString last = failure.message.section(u'\n', -1);
        QCOMPARE(u"%1|%2|%3"_s.arg(int(failure.kind)).arg(failure.name, last.left(expected.section(u'|', 2).size())), expected);
        QCOMPARE(failure.advice().isEmpty(), failure.kind == CLIFailure::Kind::other);
    }

    void aliasForImport_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<char>("entry");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        // Generic names: the org's host in the file, which is read only when small and regular.
        aliasRow("auth.json, recorded export", u"auth.json"_s, "acme--uat", 'f', fixture(u"auth-show-sfdx-auth-url.json"_s));
        aliasRow("sfdx_auth.json, at the top", u"sfdx_auth.json"_s, "acme--uat", 'f', authJson("top", kSandbox));
        aliasRow("sfdx_url.json, address with a scheme", u"sfdx_url.json"_s, "acme--uat", 'f',
            authJson("result", "force://c::t@https://acme--uat.sandbox.my.salesforce.com"));
        aliasRow("salesforce.json, My Domain with a port", u"salesforce.json"_s, "acme", 'f',
            authJson("top", "force://c::t@acme.my.salesforce.com:443"));
        aliasRow("sfdx-url.json, as url, other host kept whole", u"sfdx-url.json"_s, "widgets-dev-ed.develop", 'f',
            authJson("url", "force://c:s:t@widgets-dev-ed.develop.my.salesforce.com/x"));
        aliasRow("plain text file", u"auth.txt"_s, "auth", 'f', kSandbox);
        const QByteArray padded = authJson("top", kSandbox).leftJustified(AuthFile::kReadLimit);
        aliasRow("too large", u"auth.json"_s, "auth", 'f', padded + ' ');
        aliasRow("named pipe", u"auth.json"_s, "auth", 'p');
        // A C path ends at the first NUL: the file read would be another one.
        aliasRow("NUL in the path", u"auth\0.json"_s, "auth", 'f', kElsewhere);
        // Other names, cleaned up; the file is never read.
        aliasRow("export name of a username", u"admin@acme-prod.example-sfdx-auth.json"_s, "admin_acme-prod.example", 'f', kElsewhere);
        aliasRow("generic after clean-up", u"auth.sfdx-auth.json"_s, "elsewhere", 'f', kElsewhere);
        aliasRow("markers anywhere", u"x.sfdx-authy_sfdx_auth-sfdx-auth.json"_s, "xy");
        aliasRow("other letters and punctuation, last extension", u"Zoë's org (copy).uat.json"_s, "Zo_s_org_copy_.uat");
        aliasRow("only separators left", u"_-_-.json"_s, "imported_org");
    }

    void aliasForImport()
    {
        QFETCH(QString, name);
        QFETCH(char, entry);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath(u"chosen files"_s)));
        const QString path = dir.filePath(u"chosen files/"_s + name);
        const QString made = path.section(QChar(u'\0'), 0, 0);
        QFile f(made);
        if (entry == 'f')
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && f.write(content) == content.size());
        if (entry == 'p')
            QCOMPARE(::mkfifo(QFile::encodeName(made).constData(), 0600), 0);
        QCOMPARE(SFCLI::aliasForImport(path), expected);
    }

    // Only an org's own auth file lists it, by the CLI's rules (a second user of an org only when
    // it is the default by username; the alias the CLI reports; expired scratch orgs left out);
    // whatever else lies in the folder is passed over, never waited on.
    void filesRead()
    {
        QTemporaryDir home;
        const auto read = [&home] {
            const auto listing = CLIFiles::read(home.path(), {}, QDate(2026, 12, 7));
            QStringList out;
            for (const CLIOrg &org : listing ? listing->orgs : QList<CLIOrg>())
                out << org.category + u' ' + org.id() + u' ' + QString::number(org.isDefaultUsername.value_or(false));
            return listing ? out.join(u'|') : u"nothing"_s;
        };
        QCOMPARE(read(), u"nothing"_s); // no folder: only the CLI can say
        const auto write = [&home](const char *name, const QByteArray &content) {
            QFile file(home.filePath(".sfdx/"_L1 + QLatin1StringView(name)));
            QVERIFY(QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        };
        const auto org = [](const QByteArray &user, const QByteArray &more = {}) -> QByteArray {
            return "{\"username\":\"" + user + "\",\"instanceUrl\":\"https://i\"" + more + '}';
        };
        write("alias.json", R"({"orgs":{"b":"b@x.example","a2":"a@x.example","1":"c@x.example","a":"a@x.example","c@x.example":null}})");
        write("a@x.example.json", org("a@x.example", R"(,"isSandbox":true,"isDevHub":true,"refreshToken":"secret")"));
        write("b@x.example.json", org("b@x.example", R"(,"orgId":"00D000000000001AAA","userId":"005")"));
        write("00D000000000001AAA.json", R"({"usernames":["first@x.example","b@x.example"]})");
        write("c@x.example.json", org("c@x.example", R"(,"expirationDate":"2026-12-20")"));
        write("old@x.example.json", org("old@x.example", R"(,"expirationDate":"2026-12-06")"));
        write("d@x.example.json", org("not-d@x.example"));
        write("e@x.example.json", "{garbage");
        write("f@x.example.json", org("f@x.example", R"(,"isSandbox":"yes")"));
        write("g@x.example.json", org("g@x.example", QByteArray(CLIFiles::kAuthFileLimit, ' ')));
        write("key.json", org("key"));
        write("../.sf/config.json", R"({"target-org":"b"})");
        QCOMPARE(::mkfifo(QFile::encodeName(home.filePath(u".sfdx/h@x.example.json"_s)).constData(), 0600), 0);
        QVERIFY(QFile::link(u"i@x.example.json"_s, home.filePath(u".sfdx/i@x.example.json"_s)));
        QCOMPARE(read(), u"Sandboxes a 0|Dev Hubs a 0|Scratch Orgs 1 0"_s);
        write("../.sf/config.json", R"({"target-org":"b@x.example"})");
        QCOMPARE(read(), u"Sandboxes a 0|Other b 1|Dev Hubs a 0|Scratch Orgs 1 0"_s);
        write("alias.json", "[]"); // a table of a shape it does not know: only the CLI can say
        QCOMPARE(read(), u"nothing"_s);
    }
};

QTEST_GUILESS_MAIN(TestCLI)
#include "tst_cli.moc"
