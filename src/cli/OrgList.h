#pragma once

#include "CLIOrg.h"
#include "OrgListParser.h"

#include <QByteArray>
#include <QList>

namespace OrgList {

// Strictly decodes the JSON of `sf org list --json` into records, in category order
// (sandboxes, other, dev hubs, scratch orgs) and array order; entries without a username or an
// instance URL are skipped. Throws OrgListDecodingError; there is never a partial list.
// `hiddenScratchOrgs`, when given, receives how many expired or deleted scratch orgs the CLI
// says it left out.
QList<CLIOrg> decode(const QByteArray &utf8Json, int *hiddenScratchOrgs = nullptr);

// Connected orgs first, then by display name in the user's locale, ignoring letter case.
// Stable: orgs that compare equal keep the order the CLI gave them.
void sortForDisplay(QList<CLIOrg> &orgs);

} // namespace OrgList
