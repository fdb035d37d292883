// The store's actions: each checks what it needs and copies it on the main thread, runs its CLI
// work as a job, and applies the outcome on the main thread.
#include "OrgStore.h"

#include "AppError.h"
#include "AuthFile.h"
#include "BrowserLocations.h"
#include "OpenTarget.h"
#include "OrgList.h"
#include "OrgPage.h"
#include "SFCLI.h"
#include "SecretFile.h"
#include "StopSignal.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString loadedMessage(qsizetype count)
{
    return OrgStore::tr("Loaded %n CLI connections.", nullptr, int(count));
}

} // namespace

std::optional<OrgStore::Reached> OrgStore::reach(const std::optional<CLIOrg> &org)
{
    if (!org) {
        setStatus(AppError::noTarget().description());
        return std::nullopt;
    }
    const std::optional<QString> target = targetOf(*org);
    if (!target) {
        setStatus(AppError::hiddenByAlias(org->username).description());
        return std::nullopt;
    }
    return Reached{*org, *target};
}

std::optional<OrgStore::Reached> OrgStore::reachConfirmed(const CLIOrg &org, const QString &nothingDone)
{
    const auto listed = std::find_if(m_orgs.cbegin(), m_orgs.cend(), [&](const CLIOrg &o) { return o.username == org.username; });
    if (listed == m_orgs.cend()) {
        setStatus(nothingDone);
        return std::nullopt;
    }
    return reach(*listed);
}

namespace {

// The CLI's alias table read again right before a destructive command: the name must still reach
// the org the user confirmed. A CLI without the table was checked against the list only.
void checkStillReaches(const SFCLI &cli, const QString &target, const QString &username, const QString &nothingDone)
{
    const std::optional<AliasTable> now = cli.aliases();
    StopSignal::throwIfRequested();
    if (now && now->resolve(target) != username)
        throw DescribedError(nothingDone);
}

} // namespace

void OrgStore::refresh()
{
    reload(tr("Reading sf org list..."), {}, {SelectionPolicy::Rule::keep, {}, loadedMessage, true});
}

void OrgStore::openSelected(const OpenTarget &target, bool privateWindow, const QString &page)
{
    const std::optional<Reached> org = requireSelection();
    if (!org)
        return;
    // A page the org cannot have is refused before anything runs.
    const std::variant<OrgPage, QString> resolved = OrgPage::resolve(page, org->org.instanceUrl);
    if (const QString *refusal = std::get_if<QString>(&resolved)) {
        setStatus(*refusal);
        return;
    }
    const OrgPage chosen = std::get<OrgPage>(resolved);
    const QString name = org->org.displayName();
    start(tr("Opening %1...").arg(name),
          [this, cli = m_cli, browsers = m_browsers, orgTarget = org->target, instanceUrl = org->org.instanceUrl,
           target, name, privateWindow, chosen]() -> JobRunner::Apply {
              target.openOrg(*cli, orgTarget, instanceUrl, chosen.path, *browsers, privateWindow);
              return [this, name, label = target.label, chosen](const JobRunner::Delivery &) {
                  setStatus(chosen.path.isEmpty() ? tr("Opened %1 in %2.").arg(name, label)
                                                  : tr("Opened %1 (%3) in %2.").arg(name, label, chosen.shownLabel()));
              };
          });
}

void OrgStore::runAction(const QString &message, std::function<void()> action,
                         std::function<QString()> success)
{
    start(message, [this, action = std::move(action), success = std::move(success)]() -> JobRunner::Apply {
        action();
        // The success message is composed on the main thread, after the action returned.
        return [this, success](const JobRunner::Delivery &) { setStatus(success()); };
    });
}

void OrgStore::setSelectedAsDefault()
{
    const std::optional<Reached> org = requireSelection();
    if (!org)
        return;
    const QString name = org->org.displayName();
    runAction(
        tr("Setting default org to %1...").arg(name),
        [cli = m_cli, target = org->target] { cli->setDefault(target); },
        [this, name, username = org->org.username] {
            // The badge follows at once, as the next list would show it.
            QList<CLIOrg> orgs = m_orgs;
            for (CLIOrg &o : orgs)
                o.isDefaultUsername = o.username == username;
            m_orgs = std::move(orgs);
            Q_EMIT orgsChanged();
            return tr("Default org set to %1.").arg(name);
        });
}

void OrgStore::copyTarget()
{
    if (!selectedOrg())
        return;
    // The copied target would name the org that hides this one.
    const std::optional<Reached> org = requireSelection();
    if (!org)
        return;
    // Pasted into a terminal, a line break would run what follows it.
    if (std::any_of(org->target.cbegin(), org->target.cend(), [](QChar c) { return c.category() == QChar::Other_Control; })) {
        setStatus(tr("The target of %1 holds a line break or another control character; it was not copied, "
                     "since a terminal would run what follows it.").arg(org->org.username));
        return;
    }
    setStatus(tr("Copied target: %1").arg(org->target));
    Q_EMIT textToCopy(org->target);
}

void OrgStore::copyFailed(const QString &target)
{
    setStatus(tr("Could not copy %1: no clipboard is available.").arg(target));
}

void OrgStore::deleteSelected()
{
    if (const std::optional<CLIOrg> org = selectedOrg())
        deleteOrg(*org);
    else
        requireSelection();
}

void OrgStore::deleteOrg(const CLIOrg &confirmed)
{
    const QString nothingDone = tr("%1 changed while you confirmed; nothing was deleted. Refresh and try again.")
                                    .arg(confirmed.displayName());
    const std::optional<Reached> org = reachConfirmed(confirmed, nothingDone);
    if (!org)
        return;
    const QString target = org->target;
    // Always the fallback, never a neighbour of the deleted org as such.
    reload(tr("Deleting connection %1...").arg(org->org.displayName()),
           [cli = m_cli, target, username = org->org.username, nothingDone] {
               checkStillReaches(*cli, target, username, nothingDone);
               cli->logout(target);
           },
           {SelectionPolicy::Rule::fallBack, {}, [target](qsizetype) { return tr("Deleted connection %1.").arg(target); }});
}

void OrgStore::createConnection(LoginKind kind, const QString &alias, BrowserChoice browser,
                                bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString shown = trimmed.isEmpty() ? kind.label() : trimmed;
    reload(tr("Opening Salesforce login for %1. Complete login and click Allow in the browser...").arg(shown),
           [cli = m_cli, kind, trimmed, browser, setDefault] { cli->login(kind, trimmed, browser, setDefault); },
           {SelectionPolicy::Rule::preferNew, trimmed,
            [](qsizetype count) { return tr("Connection created. Loaded %n CLI connections.", nullptr, int(count)); }},
           JobRunner::OnQuit::stopAtOnce);
}

void OrgStore::cancelLogin()
{
    bool stopped = false;
    for (const RunningJob &job : m_jobs.running()) {
        if (job.stopsAtOnce) {
            m_jobs.stop(job.id);
            stopped = true;
        }
    }
    if (stopped)
        setStatus(tr("Login cancelled."));
}

void OrgStore::exportSelected(const QString &filePath)
{
    if (const std::optional<CLIOrg> org = selectedOrg())
        exportOrg(*org, filePath);
    else
        requireSelection();
}

void OrgStore::exportOrg(const CLIOrg &confirmed, const QString &filePath)
{
    const QString nothingDone = tr("%1 changed while you confirmed; nothing was exported. Refresh and try again.")
                                    .arg(confirmed.displayName());
    const std::optional<Reached> org = reachConfirmed(confirmed, nothingDone);
    if (!org)
        return;
    start(tr("Exporting %1 auth JSON...").arg(org->org.displayName()),
          [this, cli = m_cli, target = org->target, username = org->org.username, nothingDone, filePath]() -> JobRunner::Apply {
              checkStillReaches(*cli, target, username, nothingDone);
              const QByteArray data = cli->exportAuth(target).toUtf8();
              StopSignal::throwIfRequested();
              // Anything import could not read back would only replace a file with a useless one.
              if (!AuthFile::sfdxAuthURL(data))
                  throw DescribedError(tr("The Salesforce CLI did not return an SFDX auth URL for "
                                          "%1; nothing was written.").arg(target));
              SecretFile::write(filePath, data);
              return [this, target](const JobRunner::Delivery &) {
                  setStatus(tr("Exported auth JSON for %1. Treat this file like a password.").arg(target));
              };
          });
}

void OrgStore::importConnection(const QString &filePath, const QString &alias, bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString importAs = trimmed.isEmpty() ? SFCLI::aliasForImport(filePath) : trimmed;
    reload(tr("Importing auth JSON as %1...").arg(importAs),
           [cli = m_cli, filePath, importAs, setDefault] { cli->importAuth(filePath, importAs, setDefault); },
           {SelectionPolicy::Rule::preferNew, importAs, [importAs](qsizetype) {
                return tr("Imported auth JSON as %1. Treat imported files like passwords.").arg(importAs);
            }});
}

void OrgStore::cleanUpScratchOrgs(int count)
{
    // Filled by the job before its list arrives; what the CLI could not remove is said, never
    // reported as removed.
    auto failures = std::make_shared<QStringList>();
    reload(tr("Removing the connections of %n expired scratch orgs...", nullptr, count),
           [cli = m_cli, failures] { *failures = cli->cleanScratchOrgs(); },
           {SelectionPolicy::Rule::keep, {}, [count, failures](qsizetype) -> QString {
                if (failures->isEmpty())
                    return tr("Removed the connections of %n expired scratch orgs.", nullptr, count);
                return tr("The Salesforce CLI could not remove the connections of %1 of the %2 expired scratch orgs:")
                           .arg(failures->size())
                           .arg(count)
                    + u'\n' + failures->join(u'\n');
            }});
}
