#pragma once

#include "AliasTable.h"
#include "CLIOrg.h"

#include <QDate>
#include <QList>
#include <QProcessEnvironment>
#include <QString>

#include <optional>

// The CLI's connections as its own files hold them, read in milliseconds where the CLI takes
// seconds to start: one auth file per connection (~/.sfdx/<username>.json), the alias table
// (~/.sfdx/alias.json) and the default org (~/.sf/config.json, or an older CLI's
// ~/.sfdx/sfdx-config.json). The records are those `sf org list --json --skip-connection-status`
// gives for what the files hold, by the CLI's own rules; no token is read or kept. What the CLI
// lists later rules: it may know better (a scratch org its Dev Hub no longer has, say).
namespace CLIFiles {

// A file larger than this is no auth file, and is not read.
constexpr qint64 kAuthFileLimit = 64 * 1024;
// The alias table of many thousands of orgs stays far below this.
constexpr qint64 kAliasFileLimit = 16 * 1024 * 1024;

struct Listing
{
    // In the order the org list's categories are read (sandboxes, other, Dev Hubs, scratch
    // orgs), each sorted as the CLI sorts it (alias, then username); an org that is both a
    // sandbox and a Dev Hub is in both, as the CLI lists it.
    QList<CLIOrg> orgs;
    AliasTable aliases;
};

// Nothing when `home` holds no ~/.sfdx, or files that do not look as this reader knows them (an
// alias table of another shape): then only the CLI can say. A file that is not an auth file, or
// one that cannot be read as one, is passed over. `environment` may name the default org
// (SF_TARGET_ORG), as it does for the CLI; `today` leaves out the scratch orgs expired before it.
std::optional<Listing> read(const QString &home, const QProcessEnvironment &environment, QDate today);

} // namespace CLIFiles
