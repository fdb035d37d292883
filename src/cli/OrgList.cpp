#include "OrgList.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

QList<CLIOrg> OrgList::decode(const QByteArray &utf8Json)
{
    if (std::all_of(utf8Json.cbegin(), utf8Json.cend(),
                    [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }))
        throw OrgListDecodingError(u"the output is empty."_s);

    OrgListParser::Categories categories = OrgListParser::parse(utf8Json);
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
    // One collator and one sort key per org: comparing keys is far cheaper than collating
    // strings on every comparison. The C locale has no collation rules (and Qt's C sort keys
    // would not fold case), so there a plain case-insensitive comparison does the job.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const bool plain = collator.locale().language() == QLocale::C;

    std::vector<qsizetype> order(orgs.size());
    std::iota(order.begin(), order.end(), 0);
    std::vector<bool> connected(orgs.size());
    for (qsizetype i = 0; i < orgs.size(); ++i)
        connected[i] = orgs[i].isConnected();

    auto byConnection = [&](qsizetype a, qsizetype b) { return connected[a] && !connected[b]; };
    if (plain) {
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            if (connected[a] != connected[b])
                return byConnection(a, b);
            return orgs[a].displayName().compare(orgs[b].displayName(), Qt::CaseInsensitive) < 0;
        });
    } else {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(orgs.size());
        for (const CLIOrg &org : std::as_const(orgs))
            keys.push_back(collator.sortKey(org.displayName()));
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            if (connected[a] != connected[b])
                return byConnection(a, b);
            return keys[a].compare(keys[b]) < 0;
        });
    }

    QList<CLIOrg> sorted;
    sorted.reserve(orgs.size());
    for (qsizetype i : order)
        sorted.append(std::move(orgs[i]));
    orgs = std::move(sorted);
}
