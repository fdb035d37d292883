#pragma once

#include "CLIOrg.h"

#include <QByteArray>
#include <QHash>
#include <QJsonValue>
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
    // the document is not that. Read entry by entry, as the CLI does: a value that is not text (a
    // hand edit can leave one) is named by malformed(); a number or an object still takes its name
    // and reaches no org, a null lets the name stand for itself.
    static std::optional<AliasTable> decode(const QByteArray &json);
    // The CLI's own file, ~/.sfdx/alias.json: {"orgs": {alias: username, ...}}, read the same way.
    static std::optional<AliasTable> decodeFile(const QByteArray &json);
    // What the list alone tells: each org's reported alias (a CLI without `alias list`).
    static AliasTable reportedBy(const QList<CLIOrg> &orgs);

    // The username that the CLI reaches by `name`; nothing when `name` is a malformed entry.
    std::optional<QString> resolve(const QString &name) const;
    // A name that reaches the org: its reported alias, else another of its aliases, else its
    // username. A name beginning with "-" only when no other one reaches it: the CLI reads a
    // value that looks like one of its command's flags as that flag, even joined ("--x=-o").
    // Nothing when no name reaches the org.
    std::optional<QString> nameFor(const CLIOrg &org) const;
    bool isAlias(const QString &name) const { return m_valueOf.contains(name) || m_malformed.contains(name); }
    // The aliases whose value is not a username, sorted.
    QStringList malformed() const;

private:
    void add(const QString &alias, const QJsonValue &value);

    QHash<QString, QString> m_valueOf;
    QHash<QString, QStringList> m_aliasesOf; // by value, as the CLI lists them
    QHash<QString, bool> m_malformed; // whether the name stands for itself
};
