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

namespace OrgList {

// Strictly decodes the JSON of `sf org list --json` into records, in category order
// (sandboxes, other, dev hubs, scratch orgs) and array order; entries without a username or an
// instance URL are skipped. Throws OrgListDecodingError; there is never a partial list.
QList<CLIOrg> decode(const QByteArray &utf8Json);

// Connected orgs first, then by display name in the user's locale, ignoring letter case.
// Stable: orgs that compare equal keep the order the CLI gave them.
void sortForDisplay(QList<CLIOrg> &orgs);

} // namespace OrgList
