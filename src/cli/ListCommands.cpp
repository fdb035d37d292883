// The org list commands, and the listing that pairs the list with the alias table.
#include "SFCLI.h"

#include "AppError.h"
#include "OrgList.h"
#include "StopSignal.h"

#include <thread>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double kOrgListTimeout = 60.0;

} // namespace

QList<CLIOrg> SFCLI::orgs(ConnectionCheck check, int *hiddenScratchOrgs) const
{
    return listOrgs(check, kOrgListTimeout, hiddenScratchOrgs);
}

QList<CLIOrg> SFCLI::checkedOrgs(qsizetype known, int *hiddenScratchOrgs) const
{
    // 3,000 orgs took four and a half minutes offline.
    return listOrgs(ConnectionCheck::run, kOrgListTimeout + 0.2 * double(known), hiddenScratchOrgs);
}

QList<CLIOrg> SFCLI::listOrgs(ConnectionCheck check, double timeout, int *hiddenScratchOrgs) const
{
    QStringList arguments{u"org"_s, u"list"_s, u"--json"_s};
    if (check == ConnectionCheck::skip)
        arguments.append(u"--skip-connection-status"_s);
    QList<CLIOrg> list = OrgList::decode(runForOutput(arguments, timeout), hiddenScratchOrgs);
    OrgList::sortForDisplay(list);
    return list;
}

std::optional<QList<CLIOrg>> SFCLI::quickOrgs(int *hiddenScratchOrgs) const
{
    try {
        return orgs(ConnectionCheck::skip, hiddenScratchOrgs);
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

SFCLI::Listing SFCLI::listing() const
{
    // Side by side: the table costs about as long as the quick list, both mostly the CLI's start.
    std::optional<AliasTable> table;
    std::exception_ptr tableError;
    const StopSignal *stop = StopSignal::current();
    std::thread aliasReader([this, stop, &table, &tableError] {
        const StopSignal::Scope scope(stop);
        try {
            table = currentAliases();
        } catch (...) {
            tableError = std::current_exception();
        }
    });
    Listing listing;
    try {
        std::optional<QList<CLIOrg>> quick = quickOrgs(&listing.hiddenScratchOrgs);
        listing.quick = quick.has_value();
        listing.orgs = quick ? std::move(*quick) : orgs(ConnectionCheck::run, &listing.hiddenScratchOrgs);
    } catch (...) {
        aliasReader.join();
        throw;
    }
    aliasReader.join();
    StopSignal::throwIfRequested();
    // Without the table no name can be trusted to reach its org: no list rather than a wrong one.
    if (tableError)
        std::rethrow_exception(tableError);
    listing.aliases = table ? std::move(*table) : AliasTable::reportedBy(listing.orgs);
    return listing;
}
