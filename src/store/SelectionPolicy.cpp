#include "SelectionPolicy.h"

const CLIOrg *OrgRef::in(const QList<CLIOrg> &orgs) const
{
    for (const CLIOrg &org : orgs) {
        if (names(org))
            return &org;
    }
    return nullptr;
}

namespace SelectionPolicy {

const CLIOrg *fallback(const QList<CLIOrg> &orgs)
{
    for (const CLIOrg &org : orgs) {
        if (org.isConnected())
            return &org;
    }
    return orgs.isEmpty() ? nullptr : &orgs.first();
}

std::optional<OrgRef> choose(const Input &input, const QList<CLIOrg> &orgs)
{
    if (input.step != Step::firstList && input.userPicked) {
        if (input.current && input.current->in(orgs))
            return input.current;
        return std::nullopt;
    }
    const CLIOrg *org = nullptr;
    switch (input.rule) {
    case Rule::keep:
        // The stored ref, not the listed org's: a choice made by id alone stays so.
        if (input.before && input.before->in(orgs))
            return input.before;
        break;
    case Rule::fallBack:
        break;
    case Rule::preferNew:
        if (!input.newAlias.isEmpty())
            org = OrgRef{input.newAlias, std::nullopt}.in(orgs);
        break;
    }
    if (!org)
        org = fallback(orgs);
    return org ? std::optional(OrgRef::of(*org)) : std::nullopt;
}

} // namespace SelectionPolicy
