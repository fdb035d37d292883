#pragma once

#include "CLIOrg.h"

#include <QList>
#include <QString>

#include <optional>

// A selection: the org itself, known by its username (what the CLI stores it under), so that it
// stays selected when its alias is renamed, moved or removed. A choice by an id that no listed org
// has stays that id until a list holds an org with it.
struct OrgRef
{
    QString id;
    std::optional<QString> username;

    static OrgRef of(const CLIOrg &org) { return {org.id(), org.username}; }
    bool names(const CLIOrg &org) const { return username ? org.username == *username : org.id() == id; }
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
