#pragma once

#include "CLIOrg.h"

#include <QList>
#include <QString>

#include <optional>

// A selection: the org's id, and its username when the org was chosen as such (an alias may be
// another org's username, so the id alone can name two rows).
struct OrgRef
{
    QString id;
    std::optional<QString> username;

    static OrgRef of(const CLIOrg &org) { return {org.id(), org.username}; }
    bool names(const CLIOrg &org) const { return org.id() == id && (!username || org.username == *username); }
    // The first listed org it names, else nothing.
    const CLIOrg *in(const QList<CLIOrg> &orgs) const;

    friend bool operator==(const OrgRef &, const OrgRef &) = default;
};

// Which org a reload leaves selected. Every rule is in choose(): nothing else moves the selection.
namespace SelectionPolicy {

// What the action behind a reload wants selected.
enum class Rule {
    keep, // a refresh: the selection before it, while listed
    fallBack, // a delete: never a neighbour of the deleted org as such
    preferNew, // a create or an import: the org with the new alias, when listed
};

// The list the reload has just shown.
enum class Step {
    firstList, // the quick list, or the full one when the CLI has no quick list
    checked, // the check's full list replaced the quick one
    checkFailed, // the quick list stays, with the statuses the last check gave
};

struct Input
{
    Rule rule = Rule::keep;
    QString newAlias; // preferNew's; empty: none was given
    std::optional<OrgRef> before; // when the reload's first list arrived
    std::optional<OrgRef> current;
    bool userPicked = false; // since the first list was shown
    Step step = Step::firstList;
};

// The first connected org, else the first org, else nothing.
const CLIOrg *fallback(const QList<CLIOrg> &orgs);

// The org to select in `orgs`. The rule applies to the first list and, unless the user picked a
// row since, once more when the check ends: the selection moves at most once after the first
// list, and never away from the user's pick. A pick the list no longer holds selects nothing
// rather than another org.
std::optional<OrgRef> choose(const Input &input, const QList<CLIOrg> &orgs);

} // namespace SelectionPolicy
