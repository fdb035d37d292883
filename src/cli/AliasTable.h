#pragma once

#include "CLIOrg.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The CLI's aliases: every name set with `sf alias set` and what it stands for. The CLI looks a
// target up here first and takes it as a username only when it is no alias; `org list` reports one
// alias per org, so an org may have more names than the list shows, and an org's username may be
// another org's alias.
class AliasTable
{
public:
    // `sf alias list --json`: {"result": [{"alias": "...", "value": "..."}, ...]}. Nothing when
    // the output is not that.
    static std::optional<AliasTable> decode(const QByteArray &json);
    // What the list alone tells: each org's reported alias (a CLI without `alias list`).
    static AliasTable reportedBy(const QList<CLIOrg> &orgs);

    // The username that the CLI reaches by `name`.
    QString resolve(const QString &name) const;
    // A name that reaches the org: its reported alias, else another of its aliases, else its
    // username. A name beginning with "-" only when no other one reaches it: the CLI reads a
    // value that looks like one of its command's flags as that flag, even joined ("--x=-o").
    // Nothing when no name reaches the org.
    std::optional<QString> nameFor(const CLIOrg &org) const;
    bool isAlias(const QString &name) const { return m_valueOf.contains(name); }

private:
    void add(const QString &alias, const QString &value);

    QHash<QString, QString> m_valueOf;
    QHash<QString, QStringList> m_aliasesOf; // by value, as the CLI lists them
};
