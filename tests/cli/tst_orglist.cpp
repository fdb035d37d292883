// Decoding `sf org list --json`, the org record, and the display order.
#include "AppError.h"
#include "CLITestSupport.h"
#include "FakeScenario.h"
#include "OrgList.h"
#include "SFCLI.h"

#include <QLocale>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray listOf(const QByteArray &resultBody, const QByteArray &status = "0"_ba)
{
    return "{\"status\":"_ba + status + ",\"result\":"_ba + resultBody + ",\"warnings\":[]}"_ba;
}

CLIOrg org(const QString &name, bool connected, std::optional<QString> alias = std::nullopt)
{
    CLIOrg o;
    o.alias = std::move(alias);
    o.username = name;
    o.instanceUrl = u"https://x.my.salesforce.com"_s;
    if (connected)
        o.connectedStatus = u"Connected"_s;
    o.category = u"Other"_s;
    return o;
}

QStringList names(const QList<CLIOrg> &orgs)
{
    QStringList out;
    for (const CLIOrg &o : orgs)
        out.append(o.displayName());
    return out;
}

} // namespace

class TestOrgList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void realOutputWithThreeOrgs()
    {
        QList<CLIOrg> orgs = OrgList::decode(fixture(u"org-list-three-orgs.json"_s));
        // Category order first, and the deprecated duplicate array is ignored.
        QCOMPARE(names(orgs), (QStringList{u"acme-uat"_s, u"acme-prod"_s, u"dev@widgets.example"_s}));
        const CLIOrg &uat = orgs[0];
        QCOMPARE(uat.category, u"Sandboxes"_s);
        QCOMPARE(uat.username, u"qa@acme-prod.example.uat"_s);
        QCOMPARE(uat.instanceUrl, u"https://acme--uat.sandbox.my.salesforce.com"_s);
        QCOMPARE(uat.loginUrl, u"https://test.salesforce.com"_s);
        QCOMPARE(uat.orgId, u"00DVA000001UaTq2AK"_s);
        QCOMPARE(uat.clientId, u"PlatformCLI"_s);
        QCOMPARE(uat.connectedStatus, u"ENOTFOUND"_s);
        QCOMPARE(uat.isSandbox, true);
        QCOMPARE(uat.isDefaultUsername, false);
        QCOMPARE(orgs[2].alias, std::nullopt);
        QCOMPARE(orgs[2].isDefaultUsername, true);
        QCOMPARE(orgs[2].category, u"Other"_s);

        OrgList::sortForDisplay(orgs);
        QCOMPARE(names(orgs), (QStringList{u"acme-prod"_s, u"acme-uat"_s, u"dev@widgets.example"_s}));
        QVERIFY(OrgList::decode(fixture(u"org-list-empty-home.json"_s)).isEmpty());
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("count"); // -1: the decode fails
        QTest::addColumn<QString>("error"); // the failure names this place and problem

        const QByteArray ok = "{\"username\":\"u\",\"instanceUrl\":\"i\"}"_ba;
        QTest::newRow("empty result object") << listOf("{}"_ba) << 0 << QString();
        QTest::newRow("null arrays") << listOf("{\"other\":null,\"sandboxes\":null}"_ba) << 0 << QString();
        QTest::newRow("non-zero status") << listOf("{\"other\":["_ba + ok + "]}"_ba, "1"_ba) << 1 << QString();
        QTest::newRow("integral status written as 1.0") << listOf("{}"_ba, "1.0"_ba) << 0 << QString();
        QTest::newRow("unknown keys anywhere")
            << "{\"status\":0,\"extra\":[1],\"result\":{\"nonScratchOrgs\":5,\"x\":{},\"other\":[{\"username\":\"u\",\"instanceUrl\":\"i\",\"accessToken\":7,\"name\":{\"a\":[null]}}]}}"_ba
            << 1 << QString();
        QTest::newRow("missing and null fields are absent")
            << listOf("{\"other\":[{\"username\":\"u\",\"instanceUrl\":\"i\",\"alias\":null,\"isSandbox\":null}]}"_ba)
            << 1 << QString();
        QTest::newRow("entries without username or instance URL skipped")
            << listOf("{\"other\":[{\"username\":\"u\"},{\"instanceUrl\":\"i\"},{\"username\":null,\"instanceUrl\":\"i\"},"_ba + ok + "]}"_ba)
            << 1 << QString();
        QTest::newRow("empty strings count as present")
            << listOf("{\"other\":[{\"username\":\"\",\"instanceUrl\":\"\"}]}"_ba) << 1 << QString();

        QTest::newRow("boolean as a string")
            << listOf("{\"sandboxes\":["_ba + ok + ","_ba + ok + ",{\"username\":\"u\",\"instanceUrl\":\"i\",\"isSandbox\":\"true\"}]}"_ba)
            << -1 << u"result.sandboxes[2].isSandbox: expected a boolean or null, found a string."_s;
        QTest::newRow("string as a number")
            << listOf("{\"devHubs\":[{\"username\":5,\"instanceUrl\":\"i\"}]}"_ba)
            << -1 << u"result.devHubs[0].username: expected a string or null, found a number."_s;
        QTest::newRow("wrong type in a skipped entry still fails")
            << listOf("{\"other\":[{\"alias\":true}]}"_ba)
            << -1 << u"result.other[0].alias: expected a string or null, found a boolean."_s;
        QTest::newRow("entry not an object")
            << listOf("{\"scratchOrgs\":["_ba + ok + ",null]}"_ba)
            << -1 << u"result.scratchOrgs[1]: expected an object, found null."_s;
        QTest::newRow("category not an array")
            << listOf("{\"other\":{}}"_ba) << -1 << u"result.other: expected an array or null, found an object."_s;
        QTest::newRow("result not an object")
            << listOf("[]"_ba) << -1 << u"result: expected an object, found an array."_s;
        QTest::newRow("result null") << listOf("null"_ba) << -1 << u"result: expected an object, found null."_s;
        QTest::newRow("result missing") << "{\"status\":0}"_ba << -1 << u"result: required key is missing."_s;
        QTest::newRow("status missing") << "{\"result\":{}}"_ba << -1 << u"status: required key is missing."_s;
        QTest::newRow("status not integral") << listOf("{}"_ba, "1.5"_ba) << -1 << u"status: expected an integer, found a number."_s;
        QTest::newRow("status a string") << listOf("{}"_ba, "\"0\""_ba) << -1 << u"status: expected an integer, found a string."_s;
        QTest::newRow("top level an array") << "[1]"_ba << -1 << u"top level: expected an object, found an array."_s;
        QTest::newRow("not JSON") << "Error (X): boom"_ba << -1 << u"not valid JSON"_s;
        QTest::newRow("truncated") << fixture(u"org-list-three-orgs.json"_s).first(700) << -1 << u"not valid JSON"_s;
        QTest::newRow("empty output") << ""_ba << -1 << u"the output is empty."_s;
    }

    void decode()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, count);
        QFETCH(QString, error);
        try {
            const QList<CLIOrg> orgs = OrgList::decode(json);
            QVERIFY2(count >= 0, "decoding should have failed");
            QCOMPARE(orgs.size(), count);
            for (const CLIOrg &o : orgs) {
                QCOMPARE(o.alias, std::nullopt);
                QCOMPARE(o.isSandbox, std::nullopt);
                QCOMPARE(o.connectedStatus, std::nullopt);
            }
        } catch (const OrgListDecodingError &e) {
            QVERIFY2(count < 0, qPrintable(e.description()));
            QVERIFY2(e.description().startsWith(u"Unexpected org list from sf: "_s),
                     qPrintable(e.description()));
            QVERIFY2(e.description().contains(error), qPrintable(e.description()));
        }
    }

    // The decoder reads JSON itself: it must accept exactly the JSON grammar (stricter than Qt's
    // reader, which lets raw tabs and unknown escapes through) and read strings to the letter.
    void grammar_data()
    {
        QTest::addColumn<QByteArray>("value"); // stands as the alias of one org
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("alias"); // when valid and a string

        QTest::newRow("escapes") << "\"a\\\"b\\\\c\\/d\\b\\f\\n\\r\\t\""_ba << true << u"a\"b\\c/d\b\f\n\r\t"_s;
        QTest::newRow("unicode escape") << "\"caf\\u00e9\""_ba << true << u"café"_s;
        QTest::newRow("surrogate pair") << "\"\\ud83d\\ude00!\""_ba << true << u"😀!"_s;
        QTest::newRow("lone surrogate") << "\"x\\ud83dy\""_ba << true << u"x\ufffdy"_s;
        QTest::newRow("raw UTF-8") << "\"Zoë 東京 😀\""_ba << true << u"Zoë 東京 😀"_s;
        QTest::newRow("long plain run") << "\""_ba + QByteArray(1000, 'a') + "\""_ba << true << QString(1000, u'a');
        QTest::newRow("null") << "null"_ba << true << QString();
        QTest::newRow("bad escape") << "\"\\x\""_ba << false << QString();
        QTest::newRow("short unicode escape") << "\"\\u12\""_ba << false << QString();
        QTest::newRow("raw control character") << "\"a\tb\""_ba << false << QString();
        QTest::newRow("unterminated") << "\"abc"_ba << false << QString();
        QTest::newRow("single quotes") << "'a'"_ba << false << QString();
        QTest::newRow("bare word") << "acme"_ba << false << QString();
        QTest::newRow("truncated literal") << "nul"_ba << false << QString();
    }

    void grammar()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, valid);
        QFETCH(QString, alias);
        const QByteArray json = listOf("{\"other\":[{\"username\":\"u\",\"instanceUrl\":\"i\",\"alias\":"_ba
                                       + value + "}]}"_ba);
        try {
            const QList<CLIOrg> orgs = OrgList::decode(json);
            QVERIFY(valid);
            QCOMPARE(orgs.value(0).alias.value_or(QString()), alias);
        } catch (const OrgListDecodingError &e) {
            QVERIFY2(!valid, qPrintable(e.description()));
            QVERIFY2(e.description().contains(u"not valid JSON ("_s), qPrintable(e.description()));
        }
    }

    void documentSyntax_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("valid");
        const QByteArray ok = "{\"username\":\"u\",\"instanceUrl\":\"i\"}"_ba;
        QTest::newRow("numbers") << listOf("{\"x\":[0,-0,1.5,-2e10,3E+2,4e-2,123456789012345678901234567890]}"_ba) << true;
        QTest::newRow("leading zero") << listOf("{\"x\":01}"_ba) << false;
        QTest::newRow("bare fraction") << listOf("{\"x\":.5}"_ba) << false;
        QTest::newRow("trailing dot") << listOf("{\"x\":1.}"_ba) << false;
        QTest::newRow("plus sign") << listOf("{\"x\":+1}"_ba) << false;
        QTest::newRow("trailing comma in array") << listOf("{\"other\":["_ba + ok + ",]}"_ba) << false;
        QTest::newRow("trailing comma in object") << listOf("{\"other\":[],}"_ba) << false;
        QTest::newRow("missing colon") << "{\"status\" 0,\"result\":{}}"_ba << false;
        QTest::newRow("garbage after the document") << listOf("{}"_ba) + "x"_ba << false;
        QTest::newRow("whitespace around everything") << " \r\n\t{ \"status\" : 0 , \"result\" : { } } \n"_ba << true;
        QTest::newRow("escaped key") << listOf("{\"oth\\u0065r\":["_ba + ok + "]}"_ba) << true;
        QTest::newRow("deep nesting") << listOf("{\"x\":"_ba + QByteArray(5000, '[') + QByteArray(5000, ']') + "}"_ba) << false;
        QTest::newRow("moderate nesting") << listOf("{\"x\":"_ba + QByteArray(100, '[') + QByteArray(100, ']') + "}"_ba) << true;
        QTest::newRow("NUL byte") << listOf("{}"_ba) + QByteArray(1, '\0') << false;
    }

    void documentSyntax()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, valid);
        try {
            OrgList::decode(json);
            QVERIFY(valid);
        } catch (const OrgListDecodingError &e) {
            QVERIFY2(!valid, qPrintable(e.description()));
        }
    }

    void repeatedKeysLastWins()
    {
        const QList<CLIOrg> orgs = OrgList::decode(listOf(
            "{\"other\":[{\"username\":\"a\",\"instanceUrl\":\"i\"}],\"other\":[{\"username\":\"b\",\"instanceUrl\":\"i\",\"alias\":\"x\",\"alias\":\"y\"}]}"_ba));
        QCOMPARE(names(orgs), QStringList{u"y"_s});
    }

    void sameOrgInTwoCategories()
    {
        const QByteArray entry = "{\"username\":\"hub@x\",\"instanceUrl\":\"i\",\"alias\":\"hub\"}"_ba;
        const QList<CLIOrg> orgs = OrgList::decode(
            listOf("{\"scratchOrgs\":[{\"username\":\"s\",\"instanceUrl\":\"i\"}],\"devHubs\":["_ba
                   + entry + "],\"other\":["_ba + entry + "]}"_ba));
        QCOMPARE(orgs.size(), 3);
        QCOMPARE(orgs[0].category, u"Other"_s);
        QCOMPARE(orgs[1].category, u"Dev Hubs"_s);
        QCOMPARE(orgs[2].category, u"Scratch Orgs"_s);
        QCOMPARE(orgs[0].id(), orgs[1].id());
        QVERIFY(orgs[0] != orgs[1]);
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
        QCOMPARE(o.id(), id);
        QCOMPARE(o.displayName(), id);
        QCOMPARE(o.target(), id);
        QCOMPARE(o.isConnected(), connected);
        QCOMPARE(o.subtitle(), u"me@x.com | https://x.my.salesforce.com"_s);
    }

    void sort_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *locale : {"C", "en_US", "de_DE"})
            QTest::newRow(locale) << QString::fromLatin1(locale);
    }

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
        // Connected first; case ignored ("alpha" before "Beta"); equal names keep the CLI order.
        QCOMPARE(sorted.mid(0, 3), (QStringList{u"Same"_s, u"same"_s, u"zed"_s}));
        QCOMPARE(sorted.mid(3, 2), (QStringList{u"Alpha"_s, u"alpha"_s}));
        QCOMPARE(sorted.at(5), u"beta"_s);
        if (locale != "C"_L1) // a real collation puts accented letters next to their base
            QCOMPARE(sorted.mid(6), (QStringList{u"Échelle"_s, u"Zulu"_s}));
    }

    void orgsRunsTheCLI()
    {
        FakeScenario fake;
        fake.answer(u"org_list"_s, fixture(u"org-list-three-orgs.json"_s));
        const WatchedCLI cli(QStringLiteral(FAKE_SF_PATH), {});
        const QList<CLIOrg> orgs = cli.orgs();
        QCOMPARE(names(orgs), (QStringList{u"acme-prod"_s, u"acme-uat"_s, u"dev@widgets.example"_s}));
        QCOMPARE(cli.runs.size(), 1);
        QCOMPARE(cli.runs[0].first, (QStringList{u"org"_s, u"list"_s, u"--json"_s}));
        QCOMPARE(cli.runs[0].second, 60.0);
        QCOMPARE(fake.calls().value(0).args, (QStringList{u"org"_s, u"list"_s, u"--json"_s}));
    }

    void orgsPassesFailuresOn()
    {
        FakeScenario fake;
        fake.answer(u"org_list"_s, fixture(u"org-open-unknown-target.json"_s), 2);
        const SFCLI cli(QStringLiteral(FAKE_SF_PATH), {});
        try {
            cli.orgs();
            QFAIL("no failure");
        } catch (const AppError &e) {
            QCOMPARE(e.kind(), AppError::Kind::commandFailed);
            QVERIFY(e.errorDescription().startsWith(u"{\n  \"name\": \"NamedOrgNotFoundError\""_s));
        }
        fake.answer(u"org_list"_s, "{\"status\":0,\"result\":{\"other\":[{\"username\":\"\xff\"}]}}"_ba);
        QVERIFY_THROWS_EXCEPTION(OrgListDecodingError, cli.orgs());
    }
};

QTEST_GUILESS_MAIN(TestOrgList)
#include "tst_orglist.moc"
