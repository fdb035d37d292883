// Decoding `sf org list --json`, the org record, and the display order.
#include "CLITestSupport.h"
#include "OrgList.h"

#include <QLocale>

namespace {

QByteArray listOf(const QByteArray &result, const QByteArray &status = "0"_ba)
{
    return "{\"status\":"_ba + status + ",\"result\":"_ba + result + ",\"warnings\":[]}"_ba;
}

const QByteArray kOk = "{\"username\":\"u\",\"instanceUrl\":\"i\"}"_ba;
QByteArray other(const QByteArray &entries) { return listOf("{\"other\":["_ba + entries + "]}"_ba); }
QByteArray withAlias(const QByteArray &value)
{
    return other("{\"username\":\"u\",\"instanceUrl\":\"i\",\"alias\":"_ba + value + '}');
}

// Each org as "category:username", "=alias" when present, "+n" for the n other optionals present.
QString summary(const QList<CLIOrg> &orgs)
{
    QStringList out;
    for (const CLIOrg &o : orgs) {
        const int more = o.loginUrl.has_value() + o.orgId.has_value() + o.clientId.has_value()
            + o.connectedStatus.has_value() + o.isSandbox.has_value() + o.isDefaultUsername.has_value();
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

CLIOrg org(const QString &name, bool connected, std::optional<QString> alias = std::nullopt)
{
    return {alias, name, u"https://x.my.salesforce.com"_s, {}, {}, {},
            connected ? std::optional(u"Connected"_s) : std::nullopt, {}, {}, {}};
}

void row(const char *tag, const QByteArray &json, const QString &outcome)
{
    QTest::newRow(tag) << json << outcome;
}

} // namespace

class TestOrgList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void realOutput()
    {
        QList<CLIOrg> orgs = OrgList::decode(fixture(u"org-list-three-orgs.json"_s));
        // Category order first; the deprecated duplicate array is ignored.
        QCOMPARE(names(orgs), (QStringList{u"acme-uat"_s, u"acme-prod"_s, u"dev@widgets.example"_s}));
        QCOMPARE(orgs[0], (CLIOrg{u"acme-uat"_s, u"qa@acme-prod.example.uat"_s,
                                  u"https://acme--uat.sandbox.my.salesforce.com"_s, u"https://test.salesforce.com"_s,
                                  u"00DVA000001UaTq2AK"_s, u"PlatformCLI"_s, u"ENOTFOUND"_s, true, false, u"Sandboxes"_s}));
        QCOMPARE(orgs[2].alias, std::nullopt);
        QCOMPARE(orgs[2].isDefaultUsername, true);
        QCOMPARE(orgs[2].category, u"Other"_s);
        QVERIFY(OrgList::decode(fixture(u"org-list-empty-home.json"_s)).isEmpty());
    }

    // What a document decodes to, or ("!") the problem the failure names. The decoder reads JSON
    // itself: exactly the JSON grammar (stricter than Qt's reader) and strings to the letter.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("outcome");
        row("empty result object", listOf("{}"_ba), u""_s);
        row("null arrays", listOf("{\"other\":null,\"sandboxes\":null}"_ba), u""_s);
        row("non-zero status", listOf("{\"other\":["_ba + kOk + "]}"_ba, "1"_ba), u"Other:u"_s);
        row("status 1.0", listOf("{}"_ba, "1.0"_ba), u""_s);
        row("unknown keys anywhere", "{\"status\":0,\"extra\":[1],\"result\":{\"nonScratchOrgs\":5,\"x\":{},\"other\":[{\"username\":\"u\",\"instanceUrl\":\"i\",\"accessToken\":7,\"name\":{\"a\":[null]}}]}}"_ba, u"Other:u"_s);
        row("null fields absent", other("{\"username\":\"u\",\"instanceUrl\":\"i\",\"alias\":null,\"isSandbox\":null,\"connectedStatus\":null}"_ba), u"Other:u"_s);
        row("entries without username or URL skipped", other("{\"username\":\"u\"},{\"instanceUrl\":\"i\"},{\"username\":null,\"instanceUrl\":\"i\"},"_ba + kOk), u"Other:u"_s);
        row("empty strings present", other("{\"username\":\"\",\"instanceUrl\":\"\",\"alias\":\"\"}"_ba), u"Other:="_s);
        row("repeated keys: last wins", listOf("{\"other\":[{\"username\":\"a\",\"instanceUrl\":\"i\"}],\"other\":[{\"username\":\"b\",\"instanceUrl\":\"i\",\"alias\":\"x\",\"alias\":\"y\"}]}"_ba), u"Other:b=y"_s);
        const QByteArray hub = "{\"username\":\"hub\",\"instanceUrl\":\"i\",\"isSandbox\":false}"_ba;
        row("same org in two categories", listOf("{\"scratchOrgs\":[{\"username\":\"s\",\"instanceUrl\":\"i\"}],\"devHubs\":["_ba + hub + "],\"other\":["_ba + hub + "],\"sandboxes\":[]}"_ba),
            u"Other:hub+1,Dev Hubs:hub+1,Scratch Orgs:s"_s);

        row("boolean as a string", listOf("{\"sandboxes\":["_ba + kOk + ","_ba + kOk + ",{\"username\":\"u\",\"instanceUrl\":\"i\",\"isSandbox\":\"true\"}]}"_ba),
            u"!result.sandboxes[2].isSandbox: expected a boolean or null, found a string."_s);
        row("string as a number", listOf("{\"devHubs\":[{\"username\":5,\"instanceUrl\":\"i\"}]}"_ba), u"!result.devHubs[0].username: expected a string or null, found a number."_s);
        row("wrong type in a skipped entry", other("{\"alias\":true}"_ba), u"!result.other[0].alias: expected a string or null, found a boolean."_s);
        row("entry not an object", listOf("{\"scratchOrgs\":["_ba + kOk + ",null]}"_ba), u"!result.scratchOrgs[1]: expected an object, found null."_s);
        row("category not an array", listOf("{\"other\":{}}"_ba), u"!result.other: expected an array or null, found an object."_s);
        row("result an array", listOf("[]"_ba), u"!result: expected an object, found an array."_s);
        row("result null", listOf("null"_ba), u"!result: expected an object, found null."_s);
        row("result missing", "{\"status\":0}"_ba, u"!result: required key is missing."_s);
        row("status missing", "{\"result\":{}}"_ba, u"!status: required key is missing."_s);
        row("status 1.5", listOf("{}"_ba, "1.5"_ba), u"!status: expected an integer, found a number."_s);
        row("status a string", listOf("{}"_ba, "\"0\""_ba), u"!status: expected an integer, found a string."_s);
        row("top level an array", "[1]"_ba, u"!top level: expected an object, found an array."_s);
        row("empty output", " \n"_ba, u"!the output is empty."_s);

        row("escapes", withAlias("\"a\\\"b\\\\c\\/d\\b\\f\\n\\r\\t\""_ba), u"Other:u=a\"b\\c/d\b\f\n\r\t"_s);
        row("unicode escape", withAlias("\"caf\\u00e9\""_ba), u"Other:u=café"_s);
        row("surrogate pair", withAlias("\"\\ud83d\\ude00!\""_ba), u"Other:u=😀!"_s);
        row("lone surrogate", withAlias("\"x\\ud83dy\""_ba), u"Other:u=x\ufffdy"_s);
        row("raw UTF-8", withAlias("\"Zoë 東京 😀\""_ba), u"Other:u=Zoë 東京 😀"_s);
        row("long plain run", withAlias('"' + QByteArray(1000, 'a') + '"'), u"Other:u="_s + QString(1000, u'a'));
        row("numbers", listOf("{\"x\":[0,-0,1.5,-2e10,3E+2,4e-2,123456789012345678901234567890]}"_ba), u""_s);
        row("whitespace everywhere", " \r\n\t{ \"status\" : 0 , \"result\" : { } } \n"_ba, u""_s);
        row("escaped key", listOf("{\"oth\\u0065r\":["_ba + kOk + "]}"_ba), u"Other:u"_s);
        row("moderate nesting", listOf("{\"x\":"_ba + QByteArray(100, '[') + QByteArray(100, ']') + "}"_ba), u""_s);
        const QString invalid = u"!not valid JSON ("_s;
        for (const char *value : {"\"\\x\"", "\"\\u12\"", "\"a\tb\"", "\"abc", "'a'", "acme", "nul"})
            row(value, withAlias(value), invalid);
        for (const char *number : {"01", ".5", "1.", "+1"})
            row(number, listOf("{\"x\":"_ba + number + '}'), invalid);
        row("trailing comma in array", other(kOk + ','), invalid);
        row("trailing comma in object", listOf("{\"other\":[],}"_ba), invalid);
        row("missing colon", "{\"status\" 0,\"result\":{}}"_ba, invalid);
        row("garbage after", listOf("{}"_ba) + 'x', invalid);
        row("deep nesting", listOf("{\"x\":"_ba + QByteArray(5000, '[') + QByteArray(5000, ']') + "}"_ba), invalid);
        row("NUL byte", listOf("{}"_ba) + '\0', invalid);
        row("not JSON", "Error (X): boom"_ba, invalid);
        row("truncated", fixture(u"org-list-three-orgs.json"_s).first(700), invalid);
    }

    void decode()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, outcome);
        try {
            QCOMPARE(summary(OrgList::decode(json)), outcome);
        } catch (const OrgListDecodingError &e) {
            QVERIFY2(outcome.startsWith(u'!'), qPrintable(e.description()));
            QVERIFY2(e.description().startsWith(u"Unexpected org list from sf: "_s + outcome.mid(1)),
                     qPrintable(e.description()));
        }
    }

    void derivedValues_data()
    {
        QTest::addColumn<std::optional<QString>>("alias");
        QTest::addColumn<std::optional<QString>>("status");
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("connected");
        QTest::newRow("alias") << std::optional(u"acme"_s) << std::optional(u"Connected"_s) << u"acme"_s << true;
        QTest::newRow("empty alias") << std::optional(QString(u""_s)) << std::optional(u"connected"_s) << u"me@x.com"_s << false;
        QTest::newRow("no alias") << std::optional<QString>() << std::optional<QString>() << u"me@x.com"_s << false;
        QTest::newRow("padded status") << std::optional<QString>() << std::optional(u"Connected "_s) << u"me@x.com"_s << false;
    }

    void derivedValues()
    {
        QFETCH(std::optional<QString>, alias);
        QFETCH(std::optional<QString>, status);
        QFETCH(QString, id);
        QFETCH(bool, connected);
        CLIOrg o = org(u"me@x.com"_s, false, alias);
        o.connectedStatus = status;
        QCOMPARE((QStringList{o.id(), o.displayName(), o.target()}), QStringList(3, id));
        QCOMPARE(o.isConnected(), connected);
        QCOMPARE(o.subtitle(), u"me@x.com | https://x.my.salesforce.com"_s);
    }

    void sort_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *locale : {"C", "en_US", "de_DE"})
            QTest::newRow(locale) << QString::fromLatin1(locale);
    }

    // Connected first; case ignored ("alpha" before "Beta"); equal names keep the CLI order.
    void sort()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QList<CLIOrg> orgs{org(u"beta"_s, false), org(u"Beta"_s, false, u"Alpha"_s), org(u"zed"_s, true),
                           org(u"alpha"_s, false), org(u"Same"_s, true), org(u"same"_s, true),
                           org(u"Échelle"_s, false), org(u"Zulu"_s, false)};
        OrgList::sortForDisplay(orgs);
        QLocale::setDefault(QLocale::c());
        const QStringList sorted = names(orgs);
        QCOMPARE(sorted.first(6), (QStringList{u"Same"_s, u"same"_s, u"zed"_s, u"Alpha"_s, u"alpha"_s, u"beta"_s}));
        if (locale != "C"_L1) // a real collation puts accented letters next to their base
            QCOMPARE(sorted.mid(6), (QStringList{u"Échelle"_s, u"Zulu"_s}));
    }

    // One run of `org list --json` with its own limit, sorted; failures passed on as they are.
    void orgsRunsTheCLI()
    {
        FakeScenario fake;
        fake.answer(u"org_list"_s, fixture(u"org-list-three-orgs.json"_s));
        const WatchedCLI cli(kFake, {});
        QCOMPARE(names(cli.orgs()), (QStringList{u"acme-prod"_s, u"acme-uat"_s, u"dev@widgets.example"_s}));
        const QStringList args{u"org"_s, u"list"_s, u"--json"_s};
        QCOMPARE(cli.runs, (QList<std::pair<QStringList, double>>{{args, 60.0}}));
        QCOMPARE(fake.calls().value(0).args, args);

        const QByteArray failure = fixture(u"org-open-unknown-target.json"_s);
        fake.answer(u"org_list"_s, failure, 2);
        QCOMPARE(failureOf([&] { cli.orgs(); }).value().errorDescription(), QString::fromUtf8(failure).trimmed());
        // Invalid UTF-8 is empty text for run(), but the org list says what is wrong with it.
        fake.answer(u"org_list"_s, "{\"status\":0,\"result\":{\"other\":[{\"username\":\"\xc3\x28\"}]}}"_ba);
        QCOMPARE(cli.run({u"org"_s, u"list"_s}), QString());
        try {
            cli.orgs();
            QFAIL("decoded");
        } catch (const OrgListDecodingError &e) {
            QCOMPARE(e.description(), u"Unexpected org list from sf: not valid UTF-8."_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestOrgList)
#include "tst_orglist.moc"
