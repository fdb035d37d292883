#pragma once

#include "AppError.h"
#include "CLIOrg.h"

#include <QByteArray>
#include <QList>

// The org list could not be decoded. The text names what was wrong and where, for example
// "result.sandboxes[2].isSandbox: expected a boolean, found a string".
class OrgListDecodingError : public DescribedError
{
public:
    explicit OrgListDecodingError(const QString &problem);
};

// A strict, single-pass reader of the `sf org list --json` document: it checks the whole text
// against the JSON grammar and the types the app relies on while it builds the records, with no
// document tree in between (a tree of 10,000 orgs costs several times the decode itself).
namespace OrgListParser {

struct Categories
{
    QList<CLIOrg> other, sandboxes, devHubs, scratchOrgs;
    int hiddenScratchOrgs = 0; // expired or deleted scratch orgs the CLI leaves out, as its warning says
};

// Throws OrgListDecodingError naming the problem and where it is.
Categories parse(const QByteArray &utf8Json);

} // namespace OrgListParser
