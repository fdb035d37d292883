#include "OrgList.h"

#include <QCoreApplication>

#include "DisplayOrder.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

QList<CLIOrg> OrgList::decode(const QByteArray &utf8Json, int *hiddenScratchOrgs)
{
    if (std::all_of(utf8Json.cbegin(), utf8Json.cend(),
                    [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }))
        throw OrgListDecodingError(QCoreApplication::translate("OrgList", "the output is empty."));

    OrgListParser::Categories categories = OrgListParser::parse(utf8Json);
    if (hiddenScratchOrgs)
        *hiddenScratchOrgs = categories.hiddenScratchOrgs;
    QList<CLIOrg> orgs;
    orgs.reserve(categories.sandboxes.size() + categories.other.size() + categories.devHubs.size()
                 + categories.scratchOrgs.size());
    // The order in which the categories are listed, before sorting.
    for (QList<CLIOrg> *category : {&categories.sandboxes, &categories.other, &categories.devHubs,
                                    &categories.scratchOrgs}) {
        for (CLIOrg &org : *category)
            orgs.append(std::move(org));
    }
    return orgs;
}

void OrgList::sortForDisplay(QList<CLIOrg> &orgs)
{
    DisplayOrder::sort(orgs, [](const CLIOrg &org) { return org.displayName(); },
                       [](const CLIOrg &org) { return org.isConnected(); });
}
