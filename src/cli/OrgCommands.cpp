// The per-org commands of SFCLI and the CLI's web login.
#include "SFCLI.h"

#include "AliasTable.h"
#include "AppError.h"
#include "FrontDoorURL.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kOpenTimeout = 60.0;
constexpr double kSetDefaultTimeout = 30.0;
constexpr double kLogoutTimeout = 60.0;
// The web login waits for the user to finish in the browser.
constexpr double kLoginTimeout = 900.0;
// It asks each Dev Hub about its scratch orgs first: seconds for each one that does not answer.
constexpr double kCleanTimeout = 120.0;

} // namespace

void SFCLI::open(const QString &target, bool privateWindow, const QString &path) const
{
    QStringList arguments = QStringList{u"org"_s, u"open"_s} + optionWithValue(u"--target-org"_s, target);
    if (!path.isEmpty())
        arguments << optionWithValue(u"--path"_s, path);
    if (privateWindow)
        arguments.append(u"--private"_s);
    runForOutput(arguments, kOpenTimeout);
}

QUrl SFCLI::openURL(const QString &target, const QString &instanceUrl, const QString &path) const
{
    QStringList arguments = QStringList{u"org"_s, u"open"_s} + optionWithValue(u"--target-org"_s, target)
        + QStringList{u"--url-only"_s, u"--json"_s};
    if (!path.isEmpty())
        arguments << optionWithValue(u"--path"_s, path);
    const QByteArray output = runForOutput(arguments, kOpenTimeout);
    std::optional<QUrl> url = FrontDoorURL::find(textOnly(output), QUrl(instanceUrl).host());
    if (!url)
        throw AppError::noOpenURL();
    return std::move(*url);
}

void SFCLI::setDefault(const QString &target) const
{
    // Without --global the CLI refuses outside a project folder, and the app's working folder is
    // never one.
    runForOutput({u"config"_s, u"set"_s, "target-org="_L1 + target, u"--global"_s},
                 kSetDefaultTimeout);
}

void SFCLI::logout(const QString &target) const
{
    runForOutput(QStringList{u"org"_s, u"logout"_s} + optionWithValue(u"--target-org"_s, target)
                     + QStringList{u"--no-prompt"_s},
                 kLogoutTimeout);
}

namespace {

// The connections the CLI keeps: one <username>.json each.
QSet<QString> authFiles(const QString &home)
{
    QSet<QString> names;
    for (const QString &name : QDir(home + "/.sfdx"_L1).entryList({u"*@*.json"_s}, QDir::Files | QDir::Hidden))
        names.insert(name);
    return names;
}

} // namespace

SFCLI::CleanUp SFCLI::cleanScratchOrgs() const
{
    const std::optional<QSet<QString>> before = m_home ? std::optional(authFiles(*m_home)) : std::nullopt;
    const QByteArray output = runForOutput(
        {u"org"_s, u"list"_s, u"--clean"_s, u"--no-prompt"_s, u"--skip-connection-status"_s, u"--json"_s}, kCleanTimeout);
    // Its warning for an org it could not remove names it twice and points to `org delete scratch`
    // (one release ends it with a stray backtick).
    static const QRegularExpression uncleaned(
        uR"re(^Unable to clean org with username (\S+)\. You can run "\S+ org delete scratch -o (\S+)" to remove it\.`?$)re"_s);
    CleanUp outcome;
    for (const QJsonValue &warning : QJsonDocument::fromJson(textOnly(output)).object().value("warnings"_L1).toArray()) {
        const QString text = warning.toString().trimmed();
        if (!text.contains("org delete scratch"_L1))
            continue;
        const QRegularExpressionMatch named = uncleaned.match(text);
        if (!named.hasMatch() || named.captured(1) != named.captured(2)) {
            outcome.left.append(text);
            continue;
        }
        // Some CLIs fail on every one; their logout removes the same local files. The name is
        // checked right before each logout, which takes every org the name matches: a username
        // that is also an alias is left alone, and the CLI's advice for it would reach the alias's org.
        const QString username = named.captured(1);
        std::optional<AliasTable> aliases;
        try {
            aliases = currentAliases();
        } catch (const DescribedError &error) {
            outcome.left.append(QCoreApplication::translate("SFCLI", "%1 was left: the alias table could not be read to "
                                                                     "check its name (%2).").arg(username, error.description()));
            continue;
        }
        if (!aliases) { // nothing to check the name with
            outcome.left.append(text);
            continue;
        }
        if (aliases->isAlias(username)) {
            outcome.left.append(QCoreApplication::translate("SFCLI", "%1 was left: it is also an alias of another connection, "
                                                                     "which a command naming it would reach. Remove that alias "
                                                                     "first (sf alias unset %1).").arg(username));
            continue;
        }
        try {
            logout(username);
        } catch (const DescribedError &) {
            outcome.left.append(text);
        }
    }
    if (before) {
        const QSet<QString> after = authFiles(*m_home);
        outcome.removed = int(std::count_if(before->cbegin(), before->cend(), [&](const QString &n) { return !after.contains(n); }));
    }
    return outcome;
}

void SFCLI::login(LoginKind kind, const QString &alias, BrowserChoice browser,
                  bool setDefault) const
{
    QStringList arguments{u"org"_s, u"login"_s, u"web"_s, u"--instance-url"_s, kind.instanceUrl()};
    const QString trimmedAlias = alias.trimmed();
    if (!trimmedAlias.isEmpty())
        arguments << optionWithValue(u"--alias"_s, trimmedAlias);
    if (const std::optional<QString> word = browser.cliValue())
        arguments << u"--browser"_s << *word;
    if (setDefault)
        arguments << u"--set-default"_s;
    runForOutput(arguments, kLoginTimeout);
}
