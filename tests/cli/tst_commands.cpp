// The org commands, the login options and the front-door address search, each command run
// against the fake `sf` as a real child process.
#include "CLITestSupport.h"
#include "LoginOptions.h"

#include <functional>

namespace {

using Command = std::function<void(const SFCLI &)>;

const QByteArray kOpenAnswer
    = "{\"status\":0,\"result\":{\"orgId\":\"00D5g000004AcMeEAK\",\"url\":\"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=Zk9v.x_Y-1%3D%3D&cshc=a1B2\",\"username\":\"admin@acme-prod.example\"},\"warnings\":[]}\n"_ba;
const QString kAuthFile = u"/home/u/My Files/acme-sfdx-auth.json"_s;

// The display texts in order; "?" for one that is not also its id or does not build back exactly.
template<typename Choice>
QStringList texts()
{
    QStringList out;
    for (const Choice c : Choice::allCases()) {
        const QString raw = c.rawValue();
        const bool exact = Choice::fromRawValue(raw) == c && c.id() == raw && !Choice::fromRawValue(raw.toLower())
            && !Choice::fromRawValue(QString(raw + u' '));
        out << (exact ? raw : u"?"_s);
    }
    return out;
}

// An argument list written with '|' between the arguments.
void row(const char *tag, const Command &command, const QString &args, double timeout)
{
    QTest::newRow(tag) << command << args.split(u'|') << timeout;
}

Command login(LoginKind kind, const QString &alias, BrowserChoice browser, bool setDefault)
{
    return [=](const SFCLI &c) { c.login(kind, alias, browser, setDefault); };
}

Command importAuth(const QString &alias, bool setDefault)
{
    return [=](const SFCLI &c) { c.importAuth(kAuthFile, alias, setDefault); };
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choices()
    {
        QCOMPARE(texts<LoginKind>(), (QStringList{u"Production"_s, u"Sandbox"_s}));
        QCOMPARE(texts<BrowserChoice>(), (QStringList{u"System default"_s, u"Chrome"_s, u"Firefox"_s, u"Edge"_s}));
    }

    void arguments_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<double>("timeout");
        row("open", [](const SFCLI &c) { c.open(u"acme"_s); }, u"org|open|--target-org|acme"_s, 60);
        // A value beginning with "-" is joined to its option, so it is never read as an option.
        row("open dash target", [](const SFCLI &c) { c.open(u"-x"_s); }, u"org|open|--target-org=-x"_s, 60);
        row("openURL", [](const SFCLI &c) { c.openURL(u"acme uat"_s); }, u"org|open|--target-org|acme uat|--url-only|--json"_s, 60);
        row("setDefault", [](const SFCLI &c) { c.setDefault(u"a@b.example"_s); }, u"config|set|target-org=a@b.example|--global"_s, 30);
        row("logout", [](const SFCLI &c) { c.logout(u"acme"_s); }, u"org|logout|--target-org|acme|--no-prompt"_s, 60);
        row("logout dash target", [](const SFCLI &c) { c.logout(u"-a"_s); }, u"org|logout|--target-org=-a|--no-prompt"_s, 60);
        const QString prod = u"org|login|web|--instance-url|https://login.salesforce.com/"_s;
        const QString test = u"org|login|web|--instance-url|https://test.salesforce.com/"_s;
        row("login blank alias, system default", login(LoginKind::production, u" \u2003 "_s, BrowserChoice::systemDefault, false), prod, 900);
        row("login padded alias, firefox, set default", login(LoginKind::production, u" acme-dev "_s, BrowserChoice::firefox, true),
            prod + "|--alias|acme-dev|--browser|firefox|--set-default"_L1, 900);
        row("login sandbox, empty alias, chrome", login(LoginKind::sandbox, QString(), BrowserChoice::chrome, false), test + "|--browser|chrome"_L1, 900);
        row("login inner space kept, edge", login(LoginKind::sandbox, u"\n\tacme uat \r\n"_s, BrowserChoice::edge, false),
            test + "|--alias|acme uat|--browser|edge"_L1, 900);
        row("login dash alias", login(LoginKind::sandbox, u"-a"_s, BrowserChoice::systemDefault, false), test + "|--alias=-a"_L1, 900);
        row("exportAuth", [](const SFCLI &c) { c.exportAuth(u"acme"_s); }, u"org|auth|show-sfdx-auth-url|--target-org|acme|--json"_s, 60);
        row("exportAuth dash target", [](const SFCLI &c) { c.exportAuth(u"-a"_s); }, u"org|auth|show-sfdx-auth-url|--target-org=-a|--json"_s, 60);
        const QString import = "org|login|sfdx-url|--sfdx-url-file|"_L1 + kAuthFile;
        row("importAuth blank alias", importAuth(u"  "_s, false), import, 60);
        row("importAuth padded alias, set default", importAuth(u" acme \n"_s, true), import + "|--alias|acme|--set-default"_L1, 60);
        row("importAuth dash alias", importAuth(u" -acme"_s, false), import + "|--alias=-acme"_L1, 60);
        row("importAuth dash file", [](const SFCLI &c) { c.importAuth(u"-f"_s, {}, false); }, u"org|login|sfdx-url|--sfdx-url-file=-f"_s, 60);
    }

    // What the runner is asked for and what the real child receives, one run per command.
    void arguments()
    {
        QFETCH(Command, command);
        QFETCH(QStringList, args);
        QFETCH(double, timeout);
        FakeScenario fake;
        fake.answer({}, kOpenAnswer);
        const WatchedCLI cli(kFake, {});
        command(cli);
        QCOMPARE(cli.runs, (QList<std::pair<QStringList, double>>{{args, timeout}}));
        QCOMPARE(fake.calls().size(), 1);
        QCOMPARE(fake.calls()[0].args, args);
    }

    void exitStatusDecides_data() { arguments_data(); }

    // Success is the exit status alone. A failure carries the real CLI's text as it was printed,
    // only trimmed, even when the output holds an address.
    void exitStatusDecides()
    {
        QFETCH(Command, command);
        FakeScenario fake;
        const SFCLI cli(kFake, {});
        fake.answer({}, "not json at all \xff\n"_ba, 0, "Warning: something\n"_ba);
        const bool searches = QByteArray(QTest::currentDataTag()) == "openURL"; // only it reads the output
        QCOMPARE(failureOf([&] { command(cli); }).has_value(), searches);

        for (const char *name : {"config-set-outside-project.stderr", "org-open-unknown-target.json",
                                 "org-logout-unknown-target.json", "config-set-global-unknown.stdout",
                                 "login-sfdx-url-garbage.json"}) {
            const QByteArray text = fixture(QString::fromLatin1(name));
            const bool onStderr = QByteArray(name).endsWith(".stderr");
            fake.answer({}, onStderr ? kOpenAnswer : text, 1, onStderr ? text : QByteArray());
            const std::optional<AppError> error = failureOf([&] { command(cli); });
            QVERIFY2(error && error->kind() == AppError::Kind::commandFailed, name);
            QCOMPARE(error->errorDescription(), QString::fromUtf8(text).trimmed());
        }
        QCOMPARE(failureOf([&] { command(SFCLI(fake.path() + "/no-such-sf"_L1, {})); }).value().kind(),
                 AppError::Kind::sfNotFound);
    }

    void openURL_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("expected"); // empty: noOpenURL
        const auto row = [](const char *tag, const char *output, const char *expected = "") {
            QTest::newRow(tag) << QByteArray(output) << QString::fromUtf8(expected);
        };
        row("result.url", "{\"status\":0,\"result\":{\"orgId\":\"00D\",\"url\":\"https://x.my.salesforce.com/secur/frontdoor.jsp?otp=...\"}}",
            "https://x.my.salesforce.com/secur/frontdoor.jsp?otp=...");
        row("pretty printed with warnings", "{\n  \"status\": 0,\n  \"result\": {\n    \"url\": \"http://127.0.0.1:41234/secur/frontdoor.jsp?otp=a1&cshc=b2\"\n  },\n  \"warnings\": [\n    \"The instance URL http://127.0.0.1:41234 is not secure.\"\n  ]\n}\n",
            "http://127.0.0.1:41234/secur/frontdoor.jsp?otp=a1&cshc=b2");
        row("url before orgUrl and frontDoorUrl", "{\"result\":{\"frontDoorUrl\":\"https://b.example/f\",\"orgUrl\":\"https://o.example/o\",\"url\":\"https://a.example/u\"}}", "https://a.example/u");
        row("only frontDoorUrl", "{\"result\":{\"frontDoorUrl\":\"https://b.example/f\"}}", "https://b.example/f");
        row("orgUrl before frontDoorUrl and top-level url",
            "{\"url\":\"https://t.example/\",\"result\":{\"frontDoorUrl\":\"https://b.example/f\",\"orgUrl\":\"https://o.example/o\"}}", "https://o.example/o");
        row("result missing, top-level url", "{\"status\":0,\"url\":\"https://t.example/x\"}", "https://t.example/x");
        row("result not an object", "{\"result\":\"https://r.example/\",\"url\":\"https://t.example/x\"}", "https://t.example/x");
        row("rejected url, valid orgUrl", "{\"result\":{\"url\":\"https://bad host/\",\"orgUrl\":\"https://o.example/o\"}}", "https://o.example/o");
        row("url not text", "{\"result\":{\"url\":{\"href\":\"x\"},\"orgUrl\":7,\"frontDoorUrl\":\"https://b.example/f\"}}", "https://b.example/f");
        row("scheme and host in capitals", "{\"result\":{\"url\":\"HTTPS://Acme.My.Salesforce.com/secur\"}}", "https://acme.my.salesforce.com/secur");
        row("not JSON, address on the last line", "Opening org acme...\nhttps://acme.my.salesforce.com/secur/frontdoor.jsp?otp=z9\n",
            "https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=z9");
        row("address followed by a closing quote", "Open this: \"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=q\"\nDone",
            "https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=q");
        row("truncated JSON", "{\"status\":0,\"result\":{\"url\":\"https://acme.my.salesforce.com/a\" ", "https://acme.my.salesforce.com/a");
        row("a warning line with a link, then the JSON",
            "Warning: see https://developer.salesforce.com/docs\n{\"result\":{\"url\":\"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=1\"}}\n",
            "https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=1");
        row("non-breaking space ends the address", "see https://acme.my.salesforce.com/a\u00a0now", "https://acme.my.salesforce.com/a");
        row("other sites passed over", "https://docs.example/x https://acme.my.salesforce.com/ok", "https://acme.my.salesforce.com/ok");
        row("JSON without candidates, another site in the text", "{\n  \"status\": 0,\n  \"result\": {},\n  \"warnings\": [\n    \"see https://l.example/x\"\n  ]\n}\n");
        row("address under another key", "{\"status\":0,\"result\":{\"link\":\"https://l.example/x\"}}");
        row("no address", "Done.\n");
        row("empty output", "");
        row("empty url", "{\"status\":0,\"result\":{\"url\":\"\"}}");
        row("address without a host", "result: https:// and http:///x");
        row("browser option as url", "{\"result\":{\"url\":\"--renderer-cmd-prefix=x\"}}");
        row("other schemes and relative addresses",
            "{\"url\":\"https:///nohost\",\"result\":{\"url\":\"javascript:alert(1)\",\"orgUrl\":\"file:///etc/passwd\",\"frontDoorUrl\":\"/secur/frontdoor.jsp?otp=1\"}}");
        row("unsafe candidates passed over",
            "{\"url\":\"https://t.example/ok\",\"result\":{\"url\":\"--renderer-cmd-prefix=x\",\"orgUrl\":\"ftp://o.example/\"}}", "https://t.example/ok");
    }

    void openURL()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, expected);
        FakeScenario fake;
        fake.answer({}, output);
        try {
            const QUrl url = SFCLI(kFake, {}).openURL(u"acme"_s, u"https://ACME.my.salesforce.com"_s);
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
