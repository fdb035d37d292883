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
    const auto bound = [](const CLIOrg *org) { return org ? std::optional(OrgRef::of(*org)) : std::nullopt; };
    if (input.step != Step::firstList && input.userPicked)
        return input.current ? bound(input.current->in(orgs)) : std::nullopt;
    const CLIOrg *org = nullptr;
    switch (input.rule) {
    case Rule::keep:
        if (const CLIOrg *kept = input.before ? input.before->in(orgs) : nullptr)
            return bound(kept);
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
    return bound(org);
}

} // namespace SelectionPolicy
