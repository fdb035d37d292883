#pragma once

#include <QList>
#include <QSet>
#include <QStringMatcher>
#include <QLatin1StringView>
#include <QString>

#include <optional>

// One org connection as the Salesforce CLI reports it. Absent optional fields stay absent:
// no default is ever filled in.
struct CLIOrg
{
    std::optional<QString> alias;
    QString username;
    QString instanceUrl;
    std::optional<QString> loginUrl;
    std::optional<QString> orgId;
    std::optional<QString> clientId;
    std::optional<QString> connectedStatus;
    std::optional<bool> isSandbox;
    std::optional<bool> isDefaultUsername;
    QString category;
    // A scratch org's, each absent when the CLI gives none or not as a string.
    std::optional<QString> devHubUsername = {};
    std::optional<QString> edition = {};
    std::optional<QString> expirationDate = {}; // as the CLI gives it: "2026-12-20"

    // The alias when present and not empty, else the username: the CLI refuses an empty target.
    const QString &id() const { return alias && !alias->isEmpty() ? *alias : username; }
    // What the window shows and sorts by, and the messages name: the same text as id() today,
    // named for its use so that showing an org never depends on how it is identified.
    const QString &displayName() const { return id(); }

    bool isConnected() const;
    // What a filter finds an org by: its name, username, instance URL or org id holds the text
    // (the matcher's case rule applies; accents and other marks still count).
    bool matches(const QStringMatcher &text) const;
    // Listed among the CLI's scratch orgs.
    bool isScratch() const { return category == scratchCategory; }
    static constexpr QLatin1StringView scratchCategory{"Scratch Orgs"};
    QString subtitle() const;

    friend bool operator==(const CLIOrg &, const CLIOrg &) = default;
};

Q_DECLARE_TYPEINFO(CLIOrg, Q_RELOCATABLE_TYPE);
