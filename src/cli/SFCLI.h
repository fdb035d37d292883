#pragma once

#include "AliasTable.h"
#include "AppError.h"
#include "CLIOrg.h"
#include "LoginOptions.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

// The adapter to the Salesforce CLI: every operation of the application is one run of `sf`.
// It holds no mutable state, so runs on several threads at once are independent.
class SFCLI
{
public:
    // Where `sf` is started from and what goes before each command's own arguments.
    struct Location
    {
        QString executableURL;
        QStringList baseArguments;
        friend bool operator==(const Location &, const Location &) = default;
    };

    static constexpr double kDefaultTimeout = 30.0;

    // The one instance of the process; its first use locates `sf`, or takes the path that
    // TARNWICK_SF names.
    static std::shared_ptr<const SFCLI> shared();

    // The first executable file among `fixedPaths`; otherwise `/usr/bin/env sf`, whose PATH search
    // decides only when a command runs.
    static Location locate(const QStringList &fixedPaths = defaultFixedPaths());
    static QStringList defaultFixedPaths();

    // The directories put in front of the child's PATH, so that an `sf` installed in the usual
    // places is found even by an app started from a desktop with a minimal PATH.
    static QByteArray fixedSearchPath();
    // The parent's environment with only PATH changed.
    static QByteArrayList childEnvironment(const QByteArrayList &parentEnvironment);
    // The same, and when the `sf` that `location` starts is a link or a script beside a `node`
    // (in its folder or one its links pass through), that folder first on PATH: the CLI's
    // `env node` then finds the Node it was installed with (NodeBesideCLI.cpp).
    static QByteArrayList childEnvironment(const QByteArrayList &parentEnvironment,
                                           const Location &location);
    static QByteArrayList processEnvironment();
    // The output when it is valid UTF-8, else nothing.
    static QByteArray textOnly(QByteArray output);

    explicit SFCLI(Location location);
    SFCLI(QString executableURL, QStringList baseArguments);
    virtual ~SFCLI() = default;
    SFCLI(const SFCLI &) = delete;
    SFCLI &operator=(const SFCLI &) = delete;

    const QString &executableURL() const { return m_location.executableURL; }
    const QStringList &baseArguments() const { return m_location.baseArguments; }

    // Runs `sf` with `arguments` and returns its standard output exactly as printed. Throws
    // AppError: sfNotFound when it cannot start, commandFailed on time-out or a non-zero exit;
    // Stopped when the calling thread's job is asked to stop (the child is ended and reaped).
    QString run(const QStringList &arguments, double timeout = kDefaultTimeout) const;

    // The grace a child that ignores the termination request gets before it is killed.
    void setKillGrace(std::chrono::duration<double> grace) { m_killGrace = grace; }
    // What one stream of a command may print before the command is stopped: far above the
    // largest real output (100,000 orgs print about 130 MB), far below what would exhaust memory.
    static constexpr qsizetype kDefaultOutputCap = qsizetype(512) * 1024 * 1024;
    void setOutputCap(qsizetype bytes) { m_outputCap = bytes; }

    // `sf org list --json`, decoded, filtered and sorted for display. Without `checkConnections`
    // (--skip-connection-status) the CLI skips its network check of every connection, which
    // takes seconds per org whose instance does not answer, and no org has a connectedStatus.
    // `hiddenScratchOrgs`: as OrgList::decode.
    enum class ConnectionCheck { run, skip };
    QList<CLIOrg> orgs(ConnectionCheck check = ConnectionCheck::run, int *hiddenScratchOrgs = nullptr) const;
    // The full list while `known` orgs are listed: the CLI checks each one, which takes minutes
    // for thousands offline, so its time limit grows with them.
    QList<CLIOrg> checkedOrgs(qsizetype known, int *hiddenScratchOrgs = nullptr) const;
    // The same without the check; nothing when the CLI rejects the flag itself (one older than
    // it). Any other failure is thrown as it is.
    std::optional<QList<CLIOrg>> quickOrgs(int *hiddenScratchOrgs = nullptr) const;
    // `sf alias list --json`; nothing only for a CLI without the command. Throws what run()
    // throws, and when the CLI prints no table.
    std::optional<AliasTable> aliases() const;
    // The table as it is now: the CLI's own file where home() is known and it can be read (in
    // microseconds), else aliases().
    std::optional<AliasTable> currentAliases() const;
    // Right before a command that names an org: the name to run it with, while the alias table as
    // it is now still sends `target` to `username`; NameChanged when it reaches another org or none.
    // When the table cannot be read, `byUsername` (Open, Set Default) runs by the username where
    // the table last read (`known`) has no alias equal to it; anything else is refused.
    enum class IfUnreadable { refuse, byUsername };
    class NameChanged : public DescribedError
    {
    public:
        using DescribedError::DescribedError;
    };
    QString checkedName(const QString &target, const QString &username, const AliasTable &known,
                        IfUnreadable ifUnreadable) const;
    // The home folder whose .sfdx holds the CLI's files, the one its children see; unknown for an
    // adapter made without one, which then always asks the CLI.
    void setHome(const QString &home) { m_home = home; }
    const std::optional<QString> &home() const { return m_home; }
    // The listed orgs (quick when the CLI has the quick list) and the alias table, read side by
    // side; the table is the list's own aliases when the CLI has none. Throws when the table
    // cannot be read.
    struct Listing
    {
        QList<CLIOrg> orgs;
        bool quick = false;
        AliasTable aliases;
        int hiddenScratchOrgs = 0; // expired or deleted ones the CLI leaves out
    };
    Listing listing() const;

    // The org commands. `target` is an org's alias or username, passed as one argument. Each
    // throws what run() throws; only openURL adds a failure of its own.
    // `privateWindow`: the CLI opens the system browser's private (incognito) mode. `path`: the
    // page of the org to start on (OrgPage); empty for its home page.
    void open(const QString &target, bool privateWindow = false, const QString &path = {}) const;
    // The front-door address that logs a browser into the org: only ever an absolute http or
    // https address with a host; one found outside the CLI's JSON only on the host of
    // `instanceUrl`. Throws AppError::noOpenURL when the output holds none.
    QUrl openURL(const QString &target, const QString &instanceUrl = {}, const QString &path = {}) const;
    // Makes the org the CLI's default everywhere, not only inside a project folder.
    void setDefault(const QString &target) const;
    void logout(const QString &target) const;
    // `sf org list --clean`: removes the local connections of the expired and deleted scratch
    // orgs the list leaves out, without contacting them. One it fails on (it still exits 0) is
    // logged out by its username instead, its name checked right before. Returns what was said
    // of each one left, and how many connections went where the CLI's files can be seen.
    struct CleanUp
    {
        QStringList left;
        std::optional<int> removed;
    };
    CleanUp cleanScratchOrgs() const;
    // The CLI's web login; waits up to fifteen minutes for the user. A blank alias is left out.
    void login(LoginKind kind, const QString &alias, BrowserChoice browser, bool setDefault) const;

    // The org's SFDX auth URL as JSON, exactly as the CLI printed it (it holds a refresh token).
    QString exportAuth(const QString &target) const;
    void importAuth(const QString &filePath, const QString &alias, bool setDefault) const;
    // An alias for a connection imported from `filePath`: from the file name, or for a generic
    // name from the org's host inside the file. Never empty, never fails.
    static QString aliasForImport(const QString &filePath);

protected:
    // Every command goes through here: the standard output bytes as printed (textOnly() makes
    // text of them). Tests may watch the calls by overriding it.
    virtual QByteArray runForOutput(const QStringList &arguments, double timeout) const;

private:
    QList<CLIOrg> listOrgs(ConnectionCheck check, double timeout, int *hiddenScratchOrgs) const;
    // `option` and `value` as two arguments, or as one joined by "=" when the value begins with
    // "-", which the CLI would otherwise read as an option of its own.
    static QStringList optionWithValue(const QString &option, const QString &value);
    // The text reduced to letters, digits, "_", "." and "-", without the auth file markers and
    // the My Domain host suffixes; "imported_org" when nothing is left.
    static QString safeAlias(const QString &from);

    Location m_location;
    std::optional<QString> m_home;
    std::chrono::duration<double> m_killGrace{2.0};
    qsizetype m_outputCap = kDefaultOutputCap;
};
