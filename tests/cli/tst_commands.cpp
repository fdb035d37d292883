// The org commands, the login options and the front-door address search, each command run
// against the fake `sf` as a real child process.
#include "AppError.h"
#include "CLITestSupport.h"
#include "FakeScenario.h"
#include "LoginOptions.h"
#include "SFCLI.h"

#include <QSet>
#include <QTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

using Command = std::function<void(const SFCLI &)>;

const QString kFake = QStringLiteral(FAKE_SF_PATH);

const QByteArray kOpenAnswer
    = "{\"status\":0,\"result\":{\"orgId\":\"00D5g000004AcMeEAK\",\"url\":\"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=Zk9v.x_Y-1%3D%3D&cshc=a1B2\",\"username\":\"admin@acme-prod.example\"},\"warnings\":[]}\n"_ba;

std::optional<AppError> failureOf(const Command &command, const SFCLI &cli)
{
    try {
        command(cli);
    } catch (const AppError &error) {
        return error;
    }
    return std::nullopt;
}

QStringList loginArgs(const QString &instanceUrl, const QStringList &tail)
{
    return QStringList{u"org"_s, u"login"_s, u"web"_s, u"--instance-url"_s, instanceUrl} + tail;
}

QStringList importArgs(const QString &path, const QStringList &tail)
{
    return QStringList{u"org"_s, u"login"_s, u"sfdx-url"_s, u"--sfdx-url-file"_s, path} + tail;
}

// One call of every command, for the checks that hold for all of them.
QList<std::pair<const char *, Command>> everyCommand()
{
    return {
        {"open", [](const SFCLI &cli) { cli.open(u"acme"_s); }},
        {"openURL", [](const SFCLI &cli) { cli.openURL(u"acme"_s); }},
        {"setDefault", [](const SFCLI &cli) { cli.setDefault(u"acme"_s); }},
        {"logout", [](const SFCLI &cli) { cli.logout(u"acme"_s); }},
        {"login",
         [](const SFCLI &cli) {
             cli.login(LoginKind::production, u"a"_s, BrowserChoice::chrome, true);
         }},
        {"exportAuth", [](const SFCLI &cli) { cli.exportAuth(u"acme"_s); }},
        {"importAuth", [](const SFCLI &cli) { cli.importAuth(u"/tmp/a.json"_s, u"a"_s, true); }},
    };
}

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loginKind()
    {
        const QList<LoginKind> all = LoginKind::allCases();
        QCOMPARE(all, (QList<LoginKind>{LoginKind::production, LoginKind::sandbox}));
        QCOMPARE(LoginKind::production.rawValue(), u"Production"_s);
        QCOMPARE(LoginKind::sandbox.rawValue(), u"Sandbox"_s);
        QCOMPARE(LoginKind::production.instanceUrl(), u"https://login.salesforce.com/"_s);
        QCOMPARE(LoginKind::sandbox.instanceUrl(), u"https://test.salesforce.com/"_s);
        for (const LoginKind kind : all) {
            QCOMPARE(kind.id(), kind.rawValue());
            QCOMPARE(LoginKind::fromRawValue(kind.rawValue()), kind);
        }
        QVERIFY(LoginKind::production != LoginKind::sandbox);
        QCOMPARE(QSet<LoginKind>(all.begin(), all.end()).size(), 2);
        QVERIFY(qHash(LoginKind::production) != qHash(LoginKind::sandbox));
    }

    void browserChoice()
    {
        const QList<BrowserChoice> all = BrowserChoice::allCases();
        QCOMPARE(all, (QList<BrowserChoice>{BrowserChoice::systemDefault, BrowserChoice::chrome,
                                            BrowserChoice::firefox, BrowserChoice::edge}));
        QStringList raw;
        QList<std::optional<QString>> words;
        for (const BrowserChoice choice : all) {
            raw.append(choice.rawValue());
            words.append(choice.cliValue());
            QCOMPARE(choice.id(), choice.rawValue());
            QCOMPARE(BrowserChoice::fromRawValue(choice.rawValue()), choice);
        }
        QCOMPARE(raw, (QStringList{u"System default"_s, u"Chrome"_s, u"Firefox"_s, u"Edge"_s}));
        QCOMPARE(words, (QList<std::optional<QString>>{std::nullopt, u"chrome"_s, u"firefox"_s,
                                                       u"edge"_s}));
        QCOMPARE(QSet<BrowserChoice>(all.begin(), all.end()).size(), 4);
    }

    void fromRawValueIsExact_data()
    {
        QTest::addColumn<QString>("text");
        for (const char *text : {"production", "PRODUCTION", " Production", "Production ", "",
                                 "sandbox", "chrome", "system default", "System Default",
                                 "Edge\n", "Safari"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }

    void fromRawValueIsExact()
    {
        QFETCH(QString, text);
        QCOMPARE(LoginKind::fromRawValue(text), std::nullopt);
        QCOMPARE(BrowserChoice::fromRawValue(text), std::nullopt);
    }

    void arguments_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<double>("timeout");

        const QString prod = u"https://login.salesforce.com/"_s;
        const QString test = u"https://test.salesforce.com/"_s;
        const QString user = u"admin@acme-prod.example"_s;
        QTest::newRow("open")
            << Command([](const SFCLI &c) { c.open(u"acme"_s); })
            << QStringList{u"org"_s, u"open"_s, u"--target-org"_s, u"acme"_s} << 60.0;
        QTest::newRow("openURL")
            << Command([](const SFCLI &c) { c.openURL(u"acme uat"_s); })
            << QStringList{u"org"_s, u"open"_s, u"--target-org"_s, u"acme uat"_s, u"--url-only"_s,
                           u"--json"_s}
            << 60.0;
        QTest::newRow("setDefault")
            << Command([](const SFCLI &c) { c.setDefault(u"acme"_s); })
            << QStringList{u"config"_s, u"set"_s, u"target-org=acme"_s, u"--global"_s} << 30.0;
        QTest::newRow("setDefault by username")
            << Command([user](const SFCLI &c) { c.setDefault(user); })
            << QStringList{u"config"_s, u"set"_s, "target-org="_L1 + user, u"--global"_s} << 30.0;
        QTest::newRow("logout")
            << Command([](const SFCLI &c) { c.logout(u"acme"_s); })
            << QStringList{u"org"_s, u"logout"_s, u"--target-org"_s, u"acme"_s, u"--no-prompt"_s}
            << 60.0;

        QTest::newRow("login blank alias, system default, no default")
            << Command([](const SFCLI &c) {
                   c.login(LoginKind::production, u" \u2003 "_s, BrowserChoice::systemDefault, false);
               })
            << loginArgs(prod, {}) << 900.0;
        QTest::newRow("login padded alias, firefox, set default")
            << Command([](const SFCLI &c) {
                   c.login(LoginKind::production, u" acme-dev "_s, BrowserChoice::firefox, true);
               })
            << loginArgs(prod, {u"--alias"_s, u"acme-dev"_s, u"--browser"_s, u"firefox"_s,
                                u"--set-default"_s})
            << 900.0;
        QTest::newRow("login sandbox, empty alias, chrome")
            << Command([](const SFCLI &c) {
                   c.login(LoginKind::sandbox, QString(), BrowserChoice::chrome, false);
               })
            << loginArgs(test, {u"--browser"_s, u"chrome"_s}) << 900.0;
        QTest::newRow("login line breaks trimmed, inner space kept, edge")
            << Command([](const SFCLI &c) {
                   c.login(LoginKind::sandbox, u"\n\tacme uat \r\n"_s, BrowserChoice::edge, false);
               })
            << loginArgs(test, {u"--alias"_s, u"acme uat"_s, u"--browser"_s, u"edge"_s}) << 900.0;

        QTest::newRow("exportAuth")
            << Command([](const SFCLI &c) { c.exportAuth(u"acme"_s); })
            << QStringList{u"org"_s, u"auth"_s, u"show-sfdx-auth-url"_s, u"--target-org"_s,
                           u"acme"_s, u"--json"_s}
            << 60.0;
        const QString path = u"/home/u/My Files/acme-sfdx-auth.json"_s;
        QTest::newRow("importAuth blank alias, no default")
            << Command([path](const SFCLI &c) { c.importAuth(path, u"  "_s, false); })
            << importArgs(path, {}) << 60.0;
        QTest::newRow("importAuth padded alias, set default")
            << Command([path](const SFCLI &c) { c.importAuth(path, u" acme \n"_s, true); })
            << importArgs(path, {u"--alias"_s, u"acme"_s, u"--set-default"_s}) << 60.0;
        QTest::newRow("importAuth empty alias, set default")
            << Command([path](const SFCLI &c) { c.importAuth(path, QString(), true); })
            << importArgs(path, {u"--set-default"_s}) << 60.0;
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
        QCOMPARE(cli.runs.size(), 1);
        QCOMPARE(cli.runs[0].first, args);
        QCOMPARE(cli.runs[0].second, timeout);
        const QList<FakeCall> calls = fake.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].args, args);
    }

    // Output is not inspected: success is the exit status alone.
    void outputIgnored()
    {
        FakeScenario fake;
        fake.answer({}, "not json at all \xff\n"_ba, 0, "Warning: something\n"_ba);
        const SFCLI cli(kFake, {});
        for (const auto &[name, command] : everyCommand()) {
            if (qstrcmp(name, "openURL") == 0 || qstrcmp(name, "exportAuth") == 0)
                continue;
            const std::optional<AppError> error = failureOf(command, cli);
            QVERIFY2(!error, name);
        }
        QCOMPARE(fake.calls().size(), 5);
    }

    void failuresPassedOn_data()
    {
        QTest::addColumn<Command>("command");
        for (const auto &[name, command] : everyCommand())
            QTest::newRow(name) << command;
    }

    // A non-zero exit fails with the CLI's text even when the output holds an address.
    void failuresPassedOn()
    {
        QFETCH(Command, command);
        FakeScenario fake;
        fake.answer({}, kOpenAnswer, 1, "Error (PortInUseError): 1717 is taken.\n"_ba);
        std::optional<AppError> error = failureOf(command, SFCLI(kFake, {}));
        QVERIFY(error);
        QCOMPARE(error->kind(), AppError::Kind::commandFailed);
        QCOMPARE(error->errorDescription(), u"Error (PortInUseError): 1717 is taken."_s);

        error = failureOf(command, SFCLI(fake.path() + "/no-such-sf"_L1, {}));
        QVERIFY(error);
        QCOMPARE(error->kind(), AppError::Kind::sfNotFound);
    }

    void recordedFailures_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("fixtureName");
        QTest::addColumn<bool>("onStderr");
        QTest::addColumn<int>("status");
        QTest::newRow("openURL unknown org")
            << Command([](const SFCLI &c) { c.openURL(u"nosuch"_s); })
            << u"org-open-unknown-target.json"_s << false << 2;
        QTest::newRow("logout unknown org")
            << Command([](const SFCLI &c) { c.logout(u"nosuch"_s); })
            << u"org-logout-unknown-target.json"_s << false << 1;
        QTest::newRow("setDefault outside a project")
            << Command([](const SFCLI &c) { c.setDefault(u"nosuch"_s); })
            << u"config-set-outside-project.stderr"_s << true << 1;
        QTest::newRow("setDefault unknown org")
            << Command([](const SFCLI &c) { c.setDefault(u"nosuch"_s); })
            << u"config-set-global-unknown.stdout"_s << false << 1;
        QTest::newRow("importAuth garbage file")
            << Command([](const SFCLI &c) { c.importAuth(u"/tmp/garbage"_s, {}, false); })
            << u"login-sfdx-url-garbage.json"_s << false << 1;
    }

    // The real CLI's failure outputs reach the user as they were printed, only trimmed.
    void recordedFailures()
    {
        QFETCH(Command, command);
        QFETCH(QString, fixtureName);
        QFETCH(bool, onStderr);
        QFETCH(int, status);
        FakeScenario fake;
        const QByteArray text = fixture(fixtureName);
        fake.answer({}, onStderr ? QByteArray() : text, status, onStderr ? text : QByteArray());
        const std::optional<AppError> error = failureOf(command, SFCLI(kFake, {}));
        QVERIFY(error);
        QCOMPARE(error->kind(), AppError::Kind::commandFailed);
        QCOMPARE(error->errorDescription(), QString::fromUtf8(text).trimmed());
    }

    void openURL_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QString>("expected"); // empty: noOpenURL

        QTest::newRow("front door under result.url")
            << "{\"status\":0,\"result\":{\"orgId\":\"00D...\",\"url\":\"https://x.my.salesforce.com/secur/frontdoor.jsp?otp=...\",\"username\":\"...\"}}"_ba
            << u"https://x.my.salesforce.com/secur/frontdoor.jsp?otp=..."_s;
        QTest::newRow("pretty printed with warnings")
            << "{\n  \"status\": 0,\n  \"result\": {\n    \"orgId\": \"00D5g000004AcMeEAK\",\n    \"url\": \"http://127.0.0.1:41234/secur/frontdoor.jsp?otp=a1&cshc=b2\",\n    \"username\": \"admin@acme-prod.example\"\n  },\n  \"warnings\": [\n    \"The instance URL http://127.0.0.1:41234 is not secure.\"\n  ]\n}\n"_ba
            << u"http://127.0.0.1:41234/secur/frontdoor.jsp?otp=a1&cshc=b2"_s;
        QTest::newRow("url before frontDoorUrl")
            << "{\"result\":{\"frontDoorUrl\":\"https://b.example/f\",\"url\":\"https://a.example/u\"}}"_ba
            << u"https://a.example/u"_s;
        QTest::newRow("only frontDoorUrl")
            << "{\"result\":{\"frontDoorUrl\":\"https://b.example/f\"}}"_ba << u"https://b.example/f"_s;
        QTest::newRow("orgUrl before frontDoorUrl and top-level url")
            << "{\"url\":\"https://t.example/\",\"result\":{\"frontDoorUrl\":\"https://b.example/f\",\"orgUrl\":\"https://o.example/o\"}}"_ba
            << u"https://o.example/o"_s;
        QTest::newRow("result missing, top-level url")
            << "{\"status\":0,\"url\":\"https://t.example/x\"}"_ba << u"https://t.example/x"_s;
        QTest::newRow("result not an object")
            << "{\"result\":\"https://r.example/\",\"url\":\"https://t.example/x\"}"_ba
            << u"https://t.example/x"_s;
        QTest::newRow("rejected url, valid orgUrl")
            << "{\"result\":{\"url\":\"https://bad host/\",\"orgUrl\":\"https://o.example/o\"}}"_ba
            << u"https://o.example/o"_s;
        QTest::newRow("url not text")
            << "{\"result\":{\"url\":{\"href\":\"x\"},\"orgUrl\":7,\"frontDoorUrl\":\"https://b.example/f\"}}"_ba
            << u"https://b.example/f"_s;
        QTest::newRow("scheme and host in capitals")
            << "{\"result\":{\"url\":\"HTTPS://Acme.My.Salesforce.com/secur\"}}"_ba
            << u"https://acme.my.salesforce.com/secur"_s;

        QTest::newRow("not JSON, address on the last line")
            << "Opening org acme...\nhttps://acme.my.salesforce.com/secur/frontdoor.jsp?otp=z9\n"_ba
            << u"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=z9"_s;
        QTest::newRow("address followed by a closing quote")
            << "Open this: \"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=q\"\nDone"_ba
            << u"https://acme.my.salesforce.com/secur/frontdoor.jsp?otp=q"_s;
        QTest::newRow("truncated JSON")
            << "{\"status\":0,\"result\":{\"url\":\"https://acme.my.salesforce.com/a\" "_ba
            << u"https://acme.my.salesforce.com/a"_s;
        QTest::newRow("JSON without candidates, address in the text")
            << "{\n  \"status\": 0,\n  \"result\": {},\n  \"warnings\": [\n    \"see https://l.example/x\"\n  ]\n}\n"_ba
            << u"https://l.example/x"_s;
        QTest::newRow("address followed by more than a quote")
            << "{\"status\":0,\"result\":{\"link\":\"https://l.example/x\"}}"_ba << QString();
        QTest::newRow("non-breaking space ends the address")
            << "see https://acme.example/a\u00a0now"_ba << u"https://acme.example/a"_s;
        QTest::newRow("first match only")
            << "https://bad.example/{x} https://good.example/"_ba << QString();

        QTest::newRow("no address") << "Done.\n"_ba << QString();
        QTest::newRow("empty output") << ""_ba << QString();
        QTest::newRow("empty url") << "{\"status\":0,\"result\":{\"url\":\"\"}}"_ba << QString();
        QTest::newRow("address without a host") << "result: https:// and http:///x"_ba << QString();
        QTest::newRow("browser option as url")
            << "{\"result\":{\"url\":\"--renderer-cmd-prefix=x\"}}"_ba << QString();
        QTest::newRow("other schemes and relative addresses")
            << "{\"url\":\"https:///nohost\",\"result\":{\"url\":\"javascript:alert(1)\",\"orgUrl\":\"file:///etc/passwd\",\"frontDoorUrl\":\"/secur/frontdoor.jsp?otp=1\"}}"_ba
            << QString();
        QTest::newRow("unsafe candidates passed over")
            << "{\"url\":\"https://t.example/ok\",\"result\":{\"url\":\"--renderer-cmd-prefix=x\",\"orgUrl\":\"ftp://o.example/\"}}"_ba
            << u"https://t.example/ok"_s;
    }

    void openURL()
    {
        QFETCH(QByteArray, output);
        QFETCH(QString, expected);
        FakeScenario fake;
        fake.answer(u"org_open_--target-org"_s, output);
        const SFCLI cli(kFake, {});
        try {
            const QUrl url = cli.openURL(u"acme"_s);
            QVERIFY2(!expected.isEmpty(), qPrintable(url.toString()));
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
