// The alias table as the CLI holds it, and the check of a name right before a command uses it.
#include "SFCLI.h"

#include "AppError.h"
#include "PosixFiles.h"

#include <QCoreApplication>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kAliasTimeout = 60.0;
// Far above any real table (a few hundred bytes an alias).
constexpr qint64 kAliasFileCap = qint64(64) * 1024 * 1024;

// oclif's words for a command it does not have.
bool unknownCommand(const QString &text)
{
    return text.contains("not a sf command"_L1) || text.contains("command alias:list not found"_L1)
        || text.contains("command alias list not found"_L1);
}

} // namespace

std::optional<AliasTable> SFCLI::aliases() const
{
    QByteArray output;
    try {
        output = runForOutput({u"alias"_s, u"list"_s, u"--json"_s}, kAliasTimeout);
    } catch (const AppError &error) {
        if (error.kind() == AppError::Kind::commandFailed && unknownCommand(error.description()))
            return std::nullopt; // a CLI without the command: the list's aliases will do
        throw;
    }
    std::optional<AliasTable> table = AliasTable::decode(textOnly(output));
    if (!table)
        throw AppError::commandFailed(
            QCoreApplication::translate("SFCLI", "The Salesforce CLI did not print its alias table (sf alias list --json)."));
    return table;
}

std::optional<AliasTable> SFCLI::currentAliases() const
{
    // The file is rewritten in place: one caught half-written does not parse, and the CLI is asked.
    if (m_home) {
        if (const std::optional<QByteArray> file = PosixFiles::readSmallFile(*m_home + "/.sfdx/alias.json"_L1, kAliasFileCap)) {
            if (std::optional<AliasTable> table = AliasTable::decodeFile(*file))
                return table;
        }
    }
    return aliases();
}

QString SFCLI::checkedName(const QString &target, const QString &username, const AliasTable &known,
                           IfUnreadable ifUnreadable) const
{
    std::optional<AliasTable> now;
    try {
        now = currentAliases();
    } catch (const DescribedError &error) {
        if (ifUnreadable == IfUnreadable::byUsername && !known.isAlias(username))
            return username;
        throw DescribedError(QCoreApplication::translate("SFCLI", "The CLI's alias table could not be read, so nothing ran for %1: %2")
                                 .arg(target, error.description()));
    }
    if (!now) // a CLI without the table: the list's own aliases were the check
        return target;
    const std::optional<QString> reached = now->resolve(target);
    if (reached != username)
        throw NameChanged(QCoreApplication::translate("SFCLI", "%1 now reaches %2 instead of %3, so nothing ran.")
                              .arg(target, reached.value_or(QCoreApplication::translate("SFCLI", "no connection")), username));
    return target;
}
