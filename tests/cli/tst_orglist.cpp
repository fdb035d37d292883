// Decoding `sf org list --json`, the org record, and the display order.
#include "FakeScenario.h"
#include "OrgList.h"

#include <QLocale>

namespace {

const QByteArray kOk = "{'username':'u','instanceUrl':'i'";

QByteArray listOf(const QByteArray &result, const QByteArray &status = "0")
{
    return "{'status':" + status + ",'result':" + result + ",'warnings':[]}";
}

// An entry of "other" with `more` after the username and the instance URL.
QByteArray other(const QByteArray &more) { return listOf("{'other':[" + kOk + more + "}]}"); }

// Each org as "category:username", "=alias" when present, "+n" for the n other optionals present.
QString summary(const QList<CLIOrg> &orgs)
{
    QStringList out;
    for (const CLIOrg &o : orgs) {
        const int more = o.loginUrl.has_value() + o.orgId.has_value() + o.clientId.has_value()
            + o.connectedStatus.has_value() + o.isSandbox.has_value()
            + o.isDefaultUsername.has_value();
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

// A document written with ' for ", and what it decodes to, or ("!") the problem the failure
// names; "~" stands for "!not valid JSON (".
void row(const char *tag, QByteArray json, const QByteArray &outcome)
{
    QTest::newRow(tag) << json.replace('\'', '"')
                       << QString::fromUtf8(outcome).replace(u'~', u"!not valid JSON ("_s);
}

} // namespace

class TestOrgList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One run of `org list --json` (its arguments are in the commands' table), decoded from the
    // raw bytes and sorted; the deprecated duplicate array is ignored.
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
        fake.answer({}, fixture(u"org-list-empty-home.json"_s));
        QVERIFY(cli.orgs().isEmpty());
        fake.answer({}, "{\"status\":0,\"result\":{\"other\":[{\"username\":\"\xc3\x28\"}]}}");
        QCOMPARE(failureOf<OrgListDecodingError>([&] { cli.orgs(); })->description(),
                 u"Unexpected org list from sf: not valid UTF-8."_s);
    }

    // The decoder reads JSON itself: exactly the JSON grammar (stricter than Qt's reader) and
    // strings to the letter.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("outcome");
        row("status 1.0, unknown keys anywhere",
            "{'status':1.0,'x':[1],'result':{'y':{},'other':[" + kOk + ",'z':{'a':[null]}}]}}",
            "Other:u");
        row("nulls absent, entries without username or URL skipped",
            listOf("{'sandboxes':null,'other':[" + kOk + ",'alias':null,'isSandbox':null},{'username':'u'},"
                   "{'username':null,'instanceUrl':'i'},{'username':'','instanceUrl':'','alias':''}]}"),
            "Other:u,Other:=");
        row("repeated keys: the last counts",
            listOf("{'other':[{'username':'a','instanceUrl':'i'}],'other':[{'username':'b',"
                   "'instanceUrl':'i','alias':'x','alias':'y'}]}"),
            "Other:b=y");
        const QByteArray hub = "{'username':'hub','instanceUrl':'i','isSandbox':false}";
        row("category order, an org in two",
            listOf("{'scratchOrgs':[{'username':'s','instanceUrl':'i'}],'devHubs':[" + hub
                   + "],'other':[" + hub + "],'sandboxes':[{'username':'b','instanceUrl':'i'}]}"),
            "Sandboxes:b,Other:hub+1,Dev Hubs:hub+1,Scratch Orgs:s");
        row("escapes, raw UTF-8, numbers, nesting, white space",
            " \r\n\t{ 'status' : 0 , 'x':[0,-0,1.5,-2e10,3E+2,4e-2,1e400," + QByteArray(100, '[') + QByteArray(100, ']')
                + "], 'result' : { 'oth\\u0065r' : [ " + kOk
                + ",'alias':'a\\'b\\\\c\\/d\\b\\f\\n\\r\\t\\u00e9\\ud83d\\ude00\\ud83dy plain run then Zoë'} ] } } \n",
            "Other:u=a\"b\\c/d\b\f\n\r\té😀\ufffdy plain run then Zoë");

        row("boolean as a string",
            listOf("{'sandboxes':[" + kOk + "}," + kOk + ",'isSandbox':'true'}]}"),
            "!result.sandboxes[1].isSandbox: expected a boolean or null, found a string.");
        row("wrong type in a skipped entry", listOf("{'devHubs':[{'alias':5}]}"),
            "!result.devHubs[0].alias: expected a string or null, found a number.");
        row("entry not an object", listOf("{'scratchOrgs':[" + kOk + "},null]}"),
            "!result.scratchOrgs[1]: expected an object, found null.");
        row("category not an array", listOf("{'other':{}}"),
            "!result.other: expected an array or null, found an object.");
        row("result missing", "{'status':0}", "!result: required key is missing.");
        row("status missing", "{'result':{}}", "!status: required key is missing.");
        row("status 1.5", listOf("{}", "1.5"), "!status: expected an integer, found a number.");
        row("empty output", " \n", "!the output is empty.");
        // The grammar's rejections, each with the problem it names.
        for (const auto &[json, problem] : {
                 std::pair(other(",'alias':'\\u12'"), "invalid escape sequence"),
                 {other(",'alias':'a\tb'"), "control character in a string"},
                 {"{'status':0,'result':{'other':[{'alias':'a\\'b", "unterminated string"},
                 {other(",'alias':nul"), "illegal value"},
                 {listOf("{'x':01}"), "malformed number"},
                 {listOf("{'other':[],}"), "missing a member name"},
                 {"{'status' 0,'result':{}}", "missing a colon"},
                 {listOf("{}") + '\0', "garbage at the end"},
                 {listOf("{'x':" + QByteArray(5000, '[') + QByteArray(5000, ']') + "}"), "document nested too deeply"},
                 {"{'status':", "unexpected end of the document"},
                 {"{'status':0,'result':{}", "missing a comma or a closing brace"},
                 {listOf("{'x':[1 2]}"), "missing a comma or a closing bracket"}})
            row(problem, json, QByteArray("~") + problem);
    }

    void decode()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, outcome);
        try {
            QCOMPARE(summary(OrgList::decode(json)), outcome);
        } catch (const OrgListDecodingError &e) {
            QVERIFY2(outcome.startsWith(u'!'), qPrintable(e.description()));
            const QString expected = u"Unexpected org list from sf: "_s + outcome.mid(1);
            QVERIFY2(e.description().startsWith(expected), qPrintable(e.description()));
        }
    }

    void sort_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char *locale : {"C", "en_US"})
            QTest::newRow(locale) << QString::fromLatin1(locale);
    }

    // Connected ("Connected" exactly) first; case ignored ("alpha" before "Beta"); equal names
    // keep the CLI order; an empty alias shows the username.
    void sort()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QList<CLIOrg> orgs{org(u"beta"_s, u"Connected "_s), org(u"Beta"_s, {}, u"Alpha"_s),
                           org(u"zed"_s, u"Connected"_s), org(u"alpha"_s, u"connected"_s, u""_s),
                           org(u"Same"_s, u"Connected"_s), org(u"same"_s, u"Connected"_s),
                           org(u"Échelle"_s), org(u"Zulu"_s)};
        OrgList::sortForDisplay(orgs);
        QLocale::setDefault(QLocale::c());
        const QStringList sorted = names(orgs);
        QCOMPARE(sorted.first(6), (QStringList{u"Same"_s, u"same"_s, u"zed"_s, u"Alpha"_s,
                                               u"alpha"_s, u"beta"_s}));
        if (locale != "C"_L1) // a real collation puts accented letters next to their base
            QCOMPARE(sorted.mid(6), (QStringList{u"Échelle"_s, u"Zulu"_s}));
        QCOMPARE(orgs[3].target(), u"Alpha"_s);
        QCOMPARE(orgs[4].target(), u"alpha"_s);
    }
};

QTEST_GUILESS_MAIN(TestOrgList)
#include "tst_orglist.moc"
