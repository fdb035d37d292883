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

StatusMessage loadedMessage(qsizetype count, int)
{
    return {OrgStore::tr("Loaded %n CLI connections.", nullptr, int(count))};
}

} // namespace

std::optional<OrgStore::Reached> OrgStore::reach(const std::optional<CLIOrg> &org)
{
    if (!org) {
        setStatus(AppError::message(AppError::Kind::noTarget), StatusMessage::Severity::error);
        return std::nullopt;
    }
    // Acting on the selection makes it the user's pick: the check does not move it afterwards.
    if (m_selection && m_selection->names(*org))
        m_loader.notePick();
    const std::optional<QString> target = targetOf(*org);
    if (!target) {
        setStatus(AppError::message(AppError::Kind::hiddenByAlias, org->username), StatusMessage::Severity::error);
        return std::nullopt;
    }
    return Reached{*org, *target};
}

std::optional<OrgStore::Reached> OrgStore::reachConfirmed(const CLIOrg &org, const QString &nothingDone)
{
    const QList<CLIOrg> &shown = m_loader.orgs();
    const auto listed = std::find_if(shown.cbegin(), shown.cend(), [&](const CLIOrg &o) { return o.username == org.username; });
    if (listed == shown.cend()) {
        setStatus(nothingDone, StatusMessage::Severity::error);
        return std::nullopt;
    }
    return reach(*listed);
}

namespace {

// A destructive command: the name changed while the user confirmed is said in the action's words.
QString confirmedTarget(const SFCLI &cli, const QString &target, const QString &username, const AliasTable &known,
                        const QString &nothingDone)
{
    try {
        return cli.checkedName(target, username, known, SFCLI::IfUnreadable::refuse);
    } catch (const SFCLI::NameChanged &) {
        throw DescribedError(nothingDone);
    }
}

} // namespace

void OrgStore::refresh()
{
    const ListLoader::Reload reading{.rule = SelectionPolicy::Rule::keep, .message = loadedMessage, .quietWhenStale = true};
    if (!showCLIFiles())
        return reload(tr("Reading sf org list..."), {}, reading);
    // The orgs the files list can be opened, copied and made the default while the CLI lists
    // them: its list is read beside, as the check is, and replaces them when it comes.
    setStatus(tr("Reading sf org list..."), StatusMessage::Severity::progress);
    // Its failure leaves the files' orgs, their statuses unknown, and says why.
    const auto failed = [this](const JobRunner::Delivery &, const QString &description) {
        if (m_loader.fromFiles())
            arrive({.kind = ListLoader::Kind::checkFailure, .delivery = {}, .error = description});
    };
    m_jobs.start(
        listJob({}, reading), failed,
        {.kind = JobRunner::Kind::background, .onQuit = JobRunner::OnQuit::stopAtOnce, .purpose = JobRunner::Purpose::list});
    noteJobs();
}

void OrgStore::openSelected(const OpenTarget &target, bool privateWindow, const QString &page, bool pageChosen)
{
    const std::optional<Reached> org = requireSelection();
    if (!org)
        return;
    // A page the org cannot have is refused before anything runs.
    const std::variant<OrgPage, QString> resolved = OrgPage::resolve(page, org->org.instanceUrl);
    if (const QString *refusal = std::get_if<QString>(&resolved)) {
        setStatus(*refusal, StatusMessage::Severity::error);
        return;
    }
    const OrgPage chosen = std::get<OrgPage>(resolved);
    const QString name = org->org.displayName();
    // A shortcut's own page (Open Setup) leaves the page the org opens on as it was.
    const std::optional<TargetMemory::Choice> before = pageChosen ? std::nullopt : rememberedOpen(org->org);
    const std::pair<CLIOrg, TargetMemory::Choice> remembered{
        org->org, {target.id, privateWindow, pageChosen ? OrgPage::remembered(chosen) : before ? before->page : QString()}};
    start(tr("Opening %1...").arg(name),
          [this, cli = m_cli, browsers = m_browsers, orgTarget = org->target, username = org->org.username, remembered,
           known = m_loader.aliases(), instanceUrl = org->org.instanceUrl, target, name, privateWindow, chosen]() -> JobRunner::Apply {
              try {
                  target.openOrg(*cli, cli->checkedName(orgTarget, username, known, SFCLI::IfUnreadable::byUsername), instanceUrl, chosen.path,
                                 *browsers, privateWindow);
              } catch (const SFCLI::NameChanged &changed) {
                  return refusal(changed.description());
              }
              return [this, name, label = target.label, chosen, remembered](const JobRunner::Delivery &) {
                  StatusMessage said{chosen.path.isEmpty() ? tr("Opened %1 in %2.").arg(name, label)
                                                           : tr("Opened %1 (%3) in %2.").arg(name, label, chosen.shownLabel()),
                                     StatusMessage::Severity::success};
                  if (m_memory) {
                      m_memory->remember(remembered.first, remembered.second, QDate::currentDate());
                      if (const QString problem = m_memory->takeProblem(); !problem.isEmpty())
                          said = {said.text + u' ' + problem, StatusMessage::Severity::warning};
                      Q_EMIT rememberedOpenChanged();
                  }
                  setStatus(said);
              };
          });
}

JobRunner::Apply OrgStore::refusal(const QString &why)
{
    return [this, why](const JobRunner::Delivery &) {
        setStatus(why, StatusMessage::Severity::error);
        reloadQuietly();
    };
}

void OrgStore::setSelectedAsDefault()
{
    const std::optional<Reached> org = requireSelection();
    if (!org)
        return;
    const QString name = org->org.displayName();
    start(tr("Setting default org to %1...").arg(name),
          [this, cli = m_cli, target = org->target, username = org->org.username, known = m_loader.aliases(), name]() -> JobRunner::Apply {
              try {
                  cli->setDefault(cli->checkedName(target, username, known, SFCLI::IfUnreadable::byUsername));
              } catch (const SFCLI::NameChanged &changed) {
                  return refusal(changed.description());
              }
              return [this, name, username](const JobRunner::Delivery &) {
                  m_loader.markDefault(username);
                  Q_EMIT orgsChanged();
                  setStatus(tr("Default org set to %1.").arg(name), StatusMessage::Severity::success);
              };
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
                     "since a terminal would run what follows it.").arg(org->org.username),
                  StatusMessage::Severity::error);
        return;
    }
    setStatus(tr("Copied target: %1").arg(org->target), StatusMessage::Severity::success);
    Q_EMIT textToCopy(org->target);
}

void OrgStore::copyFailed(const QString &target)
{
    setStatus(tr("Could not copy %1: no clipboard is available.").arg(target), StatusMessage::Severity::error);
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
           [cli = m_cli, target, username = org->org.username, known = m_loader.aliases(), nothingDone] {
               cli->logout(confirmedTarget(*cli, target, username, known, nothingDone));
           },
           {.rule = SelectionPolicy::Rule::fallBack, .message = [target](qsizetype, int) -> StatusMessage { return {tr("Deleted connection %1.").arg(target)}; }});
}

void OrgStore::createConnection(LoginKind kind, const QString &alias, BrowserChoice browser,
                                bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString shown = trimmed.isEmpty() ? kind.label() : trimmed;
    reload(tr("Opening Salesforce login for %1. Complete login and click Allow in the browser...").arg(shown),
           [cli = m_cli, kind, trimmed, browser, setDefault] { cli->login(kind, trimmed, browser, setDefault); },
           {.rule = SelectionPolicy::Rule::preferNew, .newAlias = trimmed,
            .message = [](qsizetype count, int) -> StatusMessage { return {tr("Connection created. Loaded %n CLI connections.", nullptr, int(count))}; }},
           JobRunner::OnQuit::stopAtOnce);
}

bool OrgStore::isLoginWaiting() const
{
    const QList<RunningJob> jobs = m_jobs.running();
    return std::any_of(jobs.cbegin(), jobs.cend(), [](const RunningJob &job) { return job.stopsAtOnce; });
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
        setStatus(tr("Login cancelled."), StatusMessage::Severity::success);
}

void OrgStore::exportOrg(const CLIOrg &confirmed, const QString &filePath)
{
    const QString nothingDone = tr("%1 changed while you confirmed; nothing was exported. Refresh and try again.")
                                    .arg(confirmed.displayName());
    const std::optional<Reached> org = reachConfirmed(confirmed, nothingDone);
    if (!org)
        return;
    start(tr("Exporting %1 auth JSON...").arg(org->org.displayName()),
          [this, cli = m_cli, target = org->target, username = org->org.username, known = m_loader.aliases(), nothingDone,
           filePath]() -> JobRunner::Apply {
              const QByteArray data = cli->exportAuth(confirmedTarget(*cli, target, username, known, nothingDone)).toUtf8();
              StopSignal::throwIfRequested();
              // Anything import could not read back would only replace a file with a useless one.
              if (!AuthFile::sfdxAuthURL(data))
                  throw DescribedError(tr("The Salesforce CLI did not return an SFDX auth URL for "
                                          "%1; nothing was written.").arg(target));
              SecretFile::write(filePath, data);
              return [this, target](const JobRunner::Delivery &) {
                  setStatus(tr("Exported auth JSON for %1. Treat this file like a password.").arg(target), StatusMessage::Severity::success);
              };
          });
}

void OrgStore::importConnection(const QString &filePath, const QString &alias, bool setDefault)
{
    const QString trimmed = alias.trimmed();
    const QString importAs = trimmed.isEmpty() ? SFCLI::aliasForImport(filePath) : trimmed;
    reload(tr("Importing auth JSON as %1...").arg(importAs),
           [cli = m_cli, filePath, importAs, setDefault] { cli->importAuth(filePath, importAs, setDefault); },
           {.rule = SelectionPolicy::Rule::preferNew, .newAlias = importAs, .message = [importAs](qsizetype, int) -> StatusMessage {
                return {tr("Imported auth JSON as %1. Treat imported files like passwords.").arg(importAs)};
            }});
}

void OrgStore::cleanUpScratchOrgs(int count)
{
    // Filled by the job before its list arrives. What went is counted on disk where the CLI's
    // files can be seen, else from the hidden count the list gives after: the CLI may exit 0
    // having removed nothing and said nothing.
    auto outcome = std::make_shared<SFCLI::CleanUp>();
    reload(tr("Removing the connections of %n expired scratch orgs...", nullptr, count),
           [cli = m_cli, outcome] { *outcome = cli->cleanScratchOrgs(); },
           {.rule = SelectionPolicy::Rule::keep, .message = [count, outcome](qsizetype, int hidden) -> StatusMessage {
                const int removed = outcome->removed.value_or(std::max(0, count - hidden));
                using Severity = StatusMessage::Severity;
                if (!outcome->left.isEmpty())
                    return {tr("The Salesforce CLI could not remove the connections of %1 of the %2 expired scratch orgs:")
                               .arg(outcome->left.size())
                               .arg(count)
                        + u'\n' + outcome->left.join(u'\n'),
                            Severity::warning};
                if (removed == 0)
                    return {tr("The Salesforce CLI removed none of the %n expired scratch orgs' connections.", nullptr, count),
                            Severity::warning};
                if (removed < count)
                    return {tr("Removed the connections of %1 of the %2 expired scratch orgs.").arg(removed).arg(count),
                            Severity::warning};
                return {tr("Removed the connections of %n expired scratch orgs.", nullptr, removed), Severity::success};
            }});
}
