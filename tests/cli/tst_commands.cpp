// The org commands, the login options and the front-door address search, each command run
// against the fake `sf` as a real child process.
#include "FakeScenario.h"
#include "LoginOptions.h"
#include "OrgPage.h"

#include <functional>

namespace {

using Command = std::function<void(const SFCLI &)>;
using K = LoginKind;
using B = BrowserChoice;

const QByteArray kAnswer = "\n {\"status\":0,\"result\":{\"url\":\"https://acme.my.salesforce.com/"
                           "secur/frontdoor.jsp?otp=Zk9v.x_Y-1%3D%3D&cshc=a1B2\"}}\n\n";

// An argument list written with '|' between the arguments.
void row(const char *tag, const Command &command, const QString &args, double timeout)
{
    QTest::newRow(tag) << command << args.split(u'|') << timeout;
}

// One method of the adapter with its arguments.
template<typename Method, typename... Args>
Command on(Method method, Args... args)
{
    return [=](const SFCLI &c) { std::invoke(method, c, args...); };
}

// Notes what each command asks of the runner before running it.
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

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void arguments_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<double>("timeout");
        row("orgs", on(&SFCLI::orgs, true), u"org|list|--json"_s, 60);
        row("open", on(&SFCLI::open, u"acme"_s, false, QString()), u"org|open|--target-org|acme"_s, 60);
        row("open a page, private", on(&SFCLI::open, u"acme"_s, true, u"/a/b?c=d"_s), u"org|open|--target-org|acme|--path|/a/b?c=d|--private"_s, 60);
        // A value beginning with "-" is joined to its option, so it is never read as an option.
        row("open dash target", on(&SFCLI::open, u"-x"_s, false, QString()), u"org|open|--target-org=-x"_s, 60);
        row("openURL", on(&SFCLI::openURL, u"acme uat"_s, QString(), QString()), u"org|open|--target-org|acme uat|--url-only|--json"_s, 60);
        row("openURL of a page", on(&SFCLI::openURL, u"a"_s, QString(), u"/x"_s), u"org|open|--target-org|a|--url-only|--json|--path|/x"_s, 60);
        row("setDefault", on(&SFCLI::setDefault, u"a@b.example"_s), u"config|set|target-org=a@b.example|--global"_s, 30);
        row("logout", on(&SFCLI::logout, u"acme"_s), u"org|logout|--target-org|acme|--no-prompt"_s, 60);
        row("logout dash target", on(&SFCLI::logout, u"-a"_s), u"org|logout|--target-org=-a|--no-prompt"_s, 60);
        // The output as printed, not trimmed: it is the file's content.
        row("exportAuth", [](const SFCLI &c) { QCOMPARE(c.exportAuth(u"acme"_s), QString::fromUtf8(kAnswer)); },
            u"org|auth|show-sfdx-auth-url|--target-org|acme|--json"_s, 60);
        row("exportAuth dash target", on(&SFCLI::exportAuth, u"-a"_s), u"org|auth|show-sfdx-auth-url|--target-org=-a|--json"_s, 60);
        const QString prod = u"org|login|web|--instance-url|https://login.salesforce.com/"_s;
        const QString test = u"org|login|web|--instance-url|https://test.salesforce.com/"_s;
        row("login blank alias", on(&SFCLI::login, K::production, u" \u2003 "_s, B::systemDefault, false), prod, 900);
        row("login padded alias, firefox, set default", on(&SFCLI::login, K::production, u" acme-dev "_s, B::firefox, true),
            prod + "|--alias|acme-dev|--browser|firefox|--set-default"_L1, 900);
        row("login chrome", on(&SFCLI::login, K::sandbox, QString(), B::chrome, false), test + "|--browser|chrome"_L1, 900);
        row("login inner space kept, edge", on(&SFCLI::login, K::sandbox, u"\n\tacme uat \r\n"_s, B::edge, false),
            test + "|--alias|acme uat|--browser|edge"_L1, 900);
        row("login dash alias", on(&SFCLI::login, K::sandbox, u"-a"_s, B::systemDefault, false), test + "|--alias=-a"_L1, 900);
        const QString file = u"/home/u/My Files/a.json"_s;
        const QString import = "org|login|sfdx-url|--sfdx-url-file|"_L1 + file;
        row("importAuth blank alias", on(&SFCLI::importAuth, file, u"  "_s, false), import, 60);
        row("importAuth padded alias, set default", on(&SFCLI::importAuth, file, u" a \n"_s, true),
            import + "|--alias|a|--set-default"_L1, 60);
        row("importAuth dash alias, dash file", on(&SFCLI::importAuth, u"-f"_s, u" -a"_s, false),
            u"org|login|sfdx-url|--sfdx-url-file=-f|--alias=-a"_s, 60);
    }

    // What the runner is asked for and what the real child receives, one run per command.
    // Success is the exit status alone, whatever stderr says; a failure carries the CLI's text
    // as it printed it, only trimmed, even when the output holds an address.
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
        QCOMPARE(fake.calls().value(0).args, args);
        const QByteArray text = fixture(u"config-set-outside-project.stderr"_s);
        fake.answer({}, kAnswer, 1, text);
        const std::optional<AppError> error = failureOf([&] { command(cli); });
        QVERIFY(error && error->kind() == AppError::Kind::commandFailed);
        QCOMPARE(error->errorDescription(), QString::fromUtf8(text).trimmed());
    }

    // A page by its name, or a path of the org: "label|path", or what the refusal quotes.
    void pages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("page");
        for (const auto &[text, page] : {
                 std::pair("setup", "Setup|/lightning/setup/SetupOneHome/home"), {" OBJECT MANAGER ", "Object Manager|/lightning/setup/ObjectManager/home"},
                 {"developer-console", "Developer Console|/_ui/common/apex/debug/ApexCSIPage"}, {"Users", "Users|/lightning/setup/ManageUsers/home"},
                 {"deployment-status", "Deployment Status|/lightning/setup/DeployStatus/home"}, {"Debug Logs", "Debug Logs|/lightning/setup/ApexDebugLogs/home"},
                 {"flows", "Flows|/lightning/setup/Flows/home"}, {"home", "Home|"}, {" /apex/P?id=1#x \n", "/apex/P?id=1#x|/apex/P?id=1#x"},
                 {"https://ACME.my.salesforce.com/lightning/o/Account/list?a=b", "/lightning/o/Account/list?a=b|/lightning/o/Account/list?a=b"},
                 {"//evil.example/x", "\"//evil.example/x\""}, {"lightning/setup", "\"lightning/setup\""}, {"/a b", "\"/a b\""},
                 {"/a\u202Eb", "\"/a\u202Eb\""}, {"/a\u0007", "\"/a\u0007\""}, {"https://evil.example/x", "\"https://evil.example/x\""},
                 {"http://acme.my.salesforce.com/x", "\"http://acme.my.salesforce.com/x\""}, {"https://u@acme.my.salesforce.com/x", "\"https://u@acme.my.salesforce.com/x\""},
                 {"", "An empty path"}})
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
        const auto row = [](const char *tag, const char *output, const char *expected = "") {
            QTest::newRow(tag) << QByteArray(output).replace('\'', '"') << QString::fromUtf8(expected);
        };
        // In the CLI's JSON: result.url, result.orgUrl, result.frontDoorUrl, the top-level url.
        row("url first", "{'result':{'frontDoorUrl':'https://b.example/f','orgUrl':'https://o.example/o','url':'https://a.example/u'}}",
            "https://a.example/u");
        row("orgUrl next", "{'url':'https://t.example/','result':{'frontDoorUrl':'https://b.example/f','orgUrl':'https://o.example/o'}}",
            "https://o.example/o");
        row("frontDoorUrl next", "{'url':'https://t.example/','result':{'url':{'href':'x'},'orgUrl':7,'frontDoorUrl':'https://b.example/f'}}",
            "https://b.example/f");
        row("unsafe candidates passed over", "{'url':'https://t.example/ok','result':{'url':'--renderer-cmd-prefix=x',"
            "'orgUrl':'ftp://o.example/','frontDoorUrl':'https://bad host/'}}", "https://t.example/ok");
        row("a warning line with a link, then the JSON", "Warning: see https://developer.salesforce.com/docs\n"
            "{'result':{'url':'http://acme.my.salesforce.com/secur?otp=1'}}\n", "http://acme.my.salesforce.com/secur?otp=1");
        // Free text: only an address on the org's own host.
        row("not JSON, address on the last line", "Opening org acme...\nhttps://acme.my.salesforce.com/secur/frontdoor.jsp?otp=z9\n",
            "https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=z9");
        row("address followed by a closing quote", "Open this: \"https://acme.my.salesforce.com/secur?otp=q\"\nDone",
            "https://acme.my.salesforce.com/secur?otp=q");
        row("other sites passed over", "{'result':{}} https://docs.example/x https://acme.my.salesforce.com/ok",
            "https://acme.my.salesforce.com/ok");
        row("other schemes and relative addresses", "{'url':'https:///nohost','result':{'url':'javascript:void','orgUrl':"
            "'file:///etc/passwd','frontDoorUrl':'/secur/frontdoor.jsp?otp=1'}}");
    }

    void openURL()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, expected);
        FakeScenario fake;
        fake.answer({}, output);
        const SFCLI cli(kFake, {});
        try {
            const QUrl url = cli.openURL(u"acme"_s, u"https://ACME.my.salesforce.com"_s);
            QCOMPARE(url.toString(QUrl::FullyEncoded), expected);
        } catch (const AppError &error) {
            QVERIFY2(expected.isEmpty(), qPrintable(error.errorDescription()));
            QCOMPARE(error.kind(), AppError::Kind::noOpenURL);
            QCOMPARE(error.errorDescription(), u"Salesforce CLI did not return an open URL."_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
