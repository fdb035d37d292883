#include "SFCLI.h"

#include "AppError.h"
#include "OrgList.h"
#include "PosixFiles.h"
#include "ProcessRunner.h"
#include "StopSignal.h"

#include <QFile>
#include <QRegularExpression>

#include <unistd.h>

#if defined(__APPLE__)
#include <crt_externs.h>
#define TARNWICK_ENVIRON (*_NSGetEnviron())
#else
extern char **environ;
#define TARNWICK_ENVIRON environ
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kOrgListTimeout = 60.0;

} // namespace

std::shared_ptr<const SFCLI> SFCLI::shared()
{
    // Jobs hold their own reference: one may still run while static objects are destroyed.
    static const std::shared_ptr<const SFCLI> instance = std::make_shared<const SFCLI>(locate());
    return instance;
}

QStringList SFCLI::defaultFixedPaths()
{
    return {u"/opt/homebrew/bin/sf"_s, u"/usr/local/bin/sf"_s};
}

SFCLI::Location SFCLI::locate(const QStringList &fixedPaths)
{
    for (const QString &path : fixedPaths) {
        if (PosixFiles::isExecutableFile(path))
            return {path, {}};
    }
    return {u"/usr/bin/env"_s, {u"sf"_s}};
}

QByteArray SFCLI::fixedSearchPath()
{
    return "/opt/homebrew/bin:/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin"_ba;
}

QByteArrayList SFCLI::childEnvironment(const QByteArrayList &parentEnvironment)
{
    QByteArrayList environment;
    environment.reserve(parentEnvironment.size() + 1);
    bool pathSeen = false;
    for (const QByteArray &entry : parentEnvironment) {
        if (!entry.startsWith("PATH=")) {
            environment.append(entry);
            continue;
        }
        if (pathSeen) // getenv() would never see a second PATH; neither should the child
            continue;
        pathSeen = true;
        const QByteArray old = entry.sliced(5);
        environment.append("PATH="_ba + fixedSearchPath() + (old.isEmpty() ? ""_ba : ':' + old));
    }
    if (!pathSeen)
        environment.append("PATH="_ba + fixedSearchPath());
    return environment;
}

QByteArrayList SFCLI::processEnvironment()
{
    QByteArrayList environment;
    for (char **entry = TARNWICK_ENVIRON; entry && *entry; ++entry)
        environment.append(QByteArray(*entry));
    return environment;
}

SFCLI::SFCLI(Location location)
    : m_location(std::move(location))
{
}

SFCLI::SFCLI(QString executableURL, QStringList baseArguments)
    : SFCLI(Location{std::move(executableURL), std::move(baseArguments)})
{
}

QString SFCLI::run(const QStringList &arguments, double timeout) const
{
    return QString::fromUtf8(textOnly(runForOutput(arguments, timeout)));
}

QByteArray SFCLI::textOnly(QByteArray output)
{
    // A stream that is not valid UTF-8 counts as empty text.
    if (!output.isValidUtf8())
        output.clear();
    return output;
}

QByteArray SFCLI::runForOutput(const QStringList &arguments, double timeout) const
{
    ProcessRequest request;
    request.program = QFile::encodeName(m_location.executableURL);
    for (const QStringList *list : {&m_location.baseArguments, &arguments}) {
        for (const QString &argument : *list) {
            // A C argument ends at the first NUL: the CLI would act on a shortened name, perhaps
            // on another org. Refuse instead.
            if (argument.contains(QChar(u'\0')))
                throw AppError::commandFailed(
                    u"A Salesforce CLI argument contains a NUL character and was not passed on."_s);
            request.arguments.append(argument.toUtf8());
        }
    }
    request.environment = childEnvironment(processEnvironment(), m_location);
    request.timeout = std::chrono::duration<double>(timeout);
    request.killGrace = m_killGrace;
    request.stop = StopSignal::current();
    request.outputCap = m_outputCap;

    ProcessResult result = runProcess(request);
    switch (result.state) {
    case ProcessResult::State::FailedToStart:
        throw AppError::sfNotFound();
    case ProcessResult::State::TimedOut:
        throw AppError::commandFailed(u"Salesforce CLI command timed out."_s);
    case ProcessResult::State::Stopped:
        throw Stopped();
    case ProcessResult::State::OutputTooLarge: {
        const qsizetype mib = m_outputCap / (1024 * 1024);
        throw AppError::commandFailed(
            u"Salesforce CLI printed more than %1; the command was stopped."_s.arg(
                mib > 0 ? QString::number(mib) + " MiB"_L1 : QString::number(m_outputCap) + " bytes"_L1));
    }
    case ProcessResult::State::Exited:
        break;
    }

    // The output as printed: the org list tells invalid UTF-8 apart from nothing at all.
    if (result.succeeded())
        return std::move(result.standardOutput);

    const QString errorText = plainText(textOnly(std::move(result.standardError)));
    if (!errorText.isEmpty())
        throw AppError::commandFailed(errorText);
    throw AppError::commandFailed(plainText(textOnly(std::move(result.standardOutput))));
}

QStringList SFCLI::optionWithValue(const QString &option, const QString &value)
{
    if (value.startsWith(u'-'))
        return {option + u'=' + value};
    return {option, value};
}

QString SFCLI::plainText(const QByteArray &output)
{
    // The CLI colours its messages whenever it believes a terminal or a CI system is watching
    // (CI=true or FORCE_COLOR in the environment are enough); in the status line those control
    // sequences would show as garbage around the message.
    static const QRegularExpression escapes(
        u"\\x{1B}(?:\\[[0-?]*[ -/]*[@-~]|\\][^\\x{07}\\x{1B}]*(?:\\x{07}|\\x{1B}\\\\)|[@-Z\\\\-_])?"_s);
    QString text = QString::fromUtf8(output);
    if (text.contains(QChar(0x1B)))
        text.remove(escapes);
    return text.trimmed();
}

QList<CLIOrg> SFCLI::orgs(bool checkConnections) const
{
    QStringList arguments{u"org"_s, u"list"_s, u"--json"_s};
    if (!checkConnections)
        arguments.append(u"--skip-connection-status"_s);
    QList<CLIOrg> list = OrgList::decode(runForOutput(arguments, kOrgListTimeout));
    OrgList::sortForDisplay(list);
    return list;
}

std::optional<QList<CLIOrg>> SFCLI::quickOrgs() const
{
    try {
        return orgs(false);
    } catch (const AppError &error) {
        // oclif's words for a flag it does not know: "Nonexistent flag: --x" (its JSON error's
        // message), "Unexpected argument: --x" from older releases.
        const QString &text = error.description();
        if (error.kind() == AppError::Kind::commandFailed && text.contains("--skip-connection-status"_L1)
            && (text.contains("Nonexistent flag"_L1) || text.contains("Unexpected argument"_L1)))
            return std::nullopt;
        throw;
    }
}

QList<CLIOrg> SFCLI::listedOrgs() const
{
    std::optional<QList<CLIOrg>> quick = quickOrgs();
    return quick ? std::move(*quick) : orgs();
}
