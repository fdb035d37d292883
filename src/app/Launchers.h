#pragma once

#include "AliasTable.h"
#include "CLIOrg.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class SFCLI;

// What launchers ask of the program without its window: the org list for shell completion and
// scripts (--list), the completion scripts themselves, and the matches of the desktop's search.
namespace Launchers {

struct Orgs
{
    QList<CLIOrg> orgs; // each org once, in the window's order before its check (by name)
    AliasTable aliases;

    // The name that reaches `org` through the CLI, as --open takes it (its alias, else the
    // username); the shown name when no name reaches it.
    QString nameOf(const CLIOrg &org) const;
};

// From the CLI's own files, running no `sf`: nothing when they cannot be read, or hold no org.
std::optional<Orgs> fromFiles(const QString &home);
// From the files when they can be read, else from the CLI's list. Throws what SFCLI throws.
Orgs listed(const SFCLI &cli);

// The orgs that hold every one of `terms` (as the window's filter finds them), the default org
// first and the rest in their order.
QList<CLIOrg> matching(const QList<CLIOrg> &orgs, const QStringList &terms);

// One line per org: name, username, instance URL and category, separated by tabs; or a JSON
// array of objects with those four members. Control characters are shown as the window does.
QByteArray listText(const Orgs &orgs);
QByteArray listJson(const Orgs &orgs);

// The completion script for "bash", "zsh" or "fish"; nothing for another shell.
std::optional<QByteArray> completion(const QString &shell);

} // namespace Launchers
