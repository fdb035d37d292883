#include "OrgStore.h"

#include "BrowserLocations.h"
#include "CLIFiles.h"
#include "CLIWatcher.h"
#include "OrgList.h"
#include "SFCLI.h"
#include "StopSignal.h"

#include <QProcessEnvironment>
#include <QStringMatcher>

using namespace Qt::Literals::StringLiterals;

OrgStore::OrgStore(std::shared_ptr<const SFCLI> cli, std::shared_ptr<const BrowserLocations> browsers,
                   QObject *parent)
    : QObject(parent)
    , m_cli(std::move(cli))
    , m_browsers(std::move(browsers))
    , m_status{tr("Loading Salesforce CLI connections..."), StatusMessage::Severity::progress}
{
    connect(&m_jobs, &JobRunner::ended, this, [this](quint64, JobRunner::Kind kind) {
        if (kind == JobRunner::Kind::foreground)
            setBusy(!m_jobs.running().isEmpty());
        noteJobs();
    });
    connect(&m_jobs, &JobRunner::stopped, this, [this](quint64, JobRunner::Kind kind) {
        if (kind == JobRunner::Kind::foreground && m_isBusy && m_jobs.running().isEmpty())
            setBusy(false);
        noteJobs();
    });
}

OrgStore::~OrgStore() { m_jobs.shutDown(std::chrono::milliseconds::zero()); }

void OrgStore::shutDown(std::chrono::milliseconds patience)
{
    m_jobs.shutDown(patience);
    if (m_isBusy)
        setBusy(false);
}

void OrgStore::followCLI(const QString &home)
{
    m_home = home;
    delete m_watcher;
    m_watcher = new CLIWatcher(home, this);
    connect(m_watcher, &CLIWatcher::changed, this, &OrgStore::reloadQuietly);
    noteJobs();
}

void OrgStore::noteJobs()
{
    if (m_watcher)
        m_watcher->setOwnCommands(!m_jobs.running().isEmpty() ? CLIWatcher::Own::acting
                                  : m_jobs.anyRunning()       ? CLIWatcher::Own::checking
                                                              : CLIWatcher::Own::none);
}

void OrgStore::reloadQuietly()
{
    const ListLoader::Reload reload{
        .rule = SelectionPolicy::Rule::keep,
        .message = [](qsizetype count, int) -> StatusMessage { return {tr("The CLI's connections changed: %n listed.", nullptr, int(count))}; },
        .quietWhenStale = true,
        .followsCLI = true};
    m_jobs.start(
        listJob({}, reload), [](const JobRunner::Delivery &, const QString &) {}, // the next change, or Refresh, says it
        {.kind = JobRunner::Kind::background, .onQuit = JobRunner::OnQuit::stopAtOnce, .purpose = JobRunner::Purpose::list});
    noteJobs();
}

// Read in milliseconds while the CLI takes a second or more to start; the window is never empty
// for a user who has connections.
bool OrgStore::showCLIFiles()
{
    if (m_home.isEmpty() || m_loader.listed())
        return false;
    std::optional<CLIFiles::Listing> files = CLIFiles::read(m_home, QProcessEnvironment::systemEnvironment(), QDate::currentDate());
    if (!files || files->orgs.isEmpty()) // none there: the CLI says so, or lists what they miss
        return false;
    OrgList::sortForDisplay(files->orgs);
    arrive({.kind = ListLoader::Kind::files, .delivery = {}, .orgs = std::move(files->orgs), .aliases = std::move(files->aliases),
            .reload = {.rule = SelectionPolicy::Rule::keep}});
    return true;
}

void OrgStore::start(const QString &message, JobRunner::Work work, JobRunner::OnQuit onQuit, JobRunner::Purpose purpose)
{
    setStatus(message, StatusMessage::Severity::progress);
    const auto failed = [this](const JobRunner::Delivery &, const QString &description) {
        setStatus(StatusMessage::failure(description));
    };
    m_jobs.start(std::move(work), failed, {.startMessage = message, .kind = JobRunner::Kind::foreground, .onQuit = onQuit, .purpose = purpose});
    setBusy(!m_jobs.running().isEmpty()); // once the job is there to be seen
    noteJobs();
}

void OrgStore::reload(const QString &message, std::function<void()> action, ListLoader::Reload reload,
                      JobRunner::OnQuit onQuit)
{
    start(message, listJob(std::move(action), std::move(reload)), onQuit, JobRunner::Purpose::list);
}

JobRunner::Work OrgStore::listJob(std::function<void()> action, ListLoader::Reload reload)
{
    return [this, cli = m_cli, action = std::move(action), reload = std::move(reload)]() -> JobRunner::Apply {
        if (action)
            action();
        // A CLI older than the quick list gets the full one in one step.
        SFCLI::Listing listing = cli->listing();
        const auto kind = listing.quick ? ListLoader::Kind::quickList : ListLoader::Kind::fullList;
        return [this, kind, listing = std::move(listing), reload](const JobRunner::Delivery &delivery) mutable {
            arrive({.kind = kind, .delivery = delivery, .orgs = std::move(listing.orgs), .aliases = std::move(listing.aliases),
                    .reload = reload, .hiddenScratchOrgs = listing.hiddenScratchOrgs});
        };
    };
}

void OrgStore::startCheck()
{
    const auto failed = [this](const JobRunner::Delivery &delivery, const QString &description) {
        arrive({.kind = ListLoader::Kind::checkFailure, .delivery = delivery, .error = description});
    };
    m_loader.checkStarted(m_jobs.start(
        [this, cli = m_cli, listed = m_loader.orgs().size()]() -> JobRunner::Apply {
            int hidden = 0;
            QList<CLIOrg> orgs = cli->checkedOrgs(listed, &hidden); // before `hidden` is captured
            return [this, orgs = std::move(orgs), hidden](const JobRunner::Delivery &delivery) mutable {
                arrive({.kind = ListLoader::Kind::check, .delivery = delivery, .orgs = std::move(orgs), .hiddenScratchOrgs = hidden});
            };
        },
        failed, {{}, JobRunner::Kind::background, JobRunner::OnQuit::stopAtOnce, {}}));
    noteJobs();
}

void OrgStore::arrive(ListLoader::Arrival arrival)
{
    ListLoader::Effect effect = m_loader.arrive(std::move(arrival), m_selection);
    if (effect.stopJob)
        m_jobs.stop(effect.stopJob);
    if (effect.hiddenScratchOrgsChanged)
        Q_EMIT hiddenScratchOrgsChanged();
    if (effect.phaseChanged) // before the rows show, so that none shows a stale status
        Q_EMIT connectionsChanged();
    if (effect.shown)
        Q_EMIT orgsChanged();
    if (effect.select)
        select(*effect.select);
    // Entries the CLI never writes, a hand edit can: each is skipped, and said.
    if (const QStringList malformed = effect.shown ? m_loader.aliases().malformed() : QStringList(); effect.status && !malformed.isEmpty()) {
        effect.status->text += u' ' + tr("The CLI's alias table has entries that name no username, which reach no org: %1.").arg(malformed.join(", "_L1));
        effect.status->severity = std::max(effect.status->severity, StatusMessage::Severity::warning);
    }
    // Noted from the CLI's own list: the early one from its files is shown before the first paint,
    // which the settings file must not delay, and the CLI's follows it.
    if (effect.shown && m_memory && !m_loader.fromFiles())
        m_memory->noteListed(m_loader.orgs(), QDate::currentDate());
    // A settings file that could not be read or written is said with the list's own word, once.
    if (const QString problem = effect.status && m_memory ? m_memory->takeProblem() : QString(); !problem.isEmpty()) {
        effect.status->text += u' ' + problem;
        effect.status->severity = std::max(effect.status->severity, StatusMessage::Severity::warning);
    }
    if (effect.status)
        setStatus(*effect.status);
    if (effect.startCheck)
        startCheck();
}

std::optional<QString> OrgStore::targetOf(const CLIOrg &org) const { return m_loader.targetOf(org); }

void OrgStore::setTargetMemory(std::shared_ptr<TargetMemory> memory) { m_memory = std::move(memory); }

std::optional<TargetMemory::Choice> OrgStore::rememberedOpen(const CLIOrg &org) const
{
    return m_memory ? m_memory->recall(org) : std::nullopt;
}

void OrgStore::forgetOpen()
{
    const std::optional<CLIOrg> org = selectedOrg();
    if (!org || !m_memory)
        return;
    m_memory->forget(*org);
    const QString problem = m_memory->takeProblem();
    setStatus(problem.isEmpty() ? tr("Where %1 opens is forgotten: the system browser again.").arg(org->displayName()) : problem,
              problem.isEmpty() ? StatusMessage::Severity::success : StatusMessage::Severity::warning);
    Q_EMIT rememberedOpenChanged();
}

void OrgStore::rememberedTargetGone(const CLIOrg &org, const QString &targetID)
{
    setStatus(tr("%1 was last opened in %2, which is no longer offered: the system browser is chosen instead.")
                  .arg(org.displayName(), targetID),
              StatusMessage::Severity::warning);
}

void OrgStore::setSelectedID(const std::optional<QString> &id)
{
    m_loader.notePick();
    if (!id)
        return select(std::nullopt);
    const OrgRef byID{*id, std::nullopt};
    const CLIOrg *org = byID.in(m_loader.orgs());
    select(org ? OrgRef::of(*org) : byID);
}

std::optional<QString> OrgStore::selectedID() const
{
    if (!m_selection)
        return std::nullopt;
    const CLIOrg *org = m_selection->in(m_loader.orgs());
    return org ? org->id() : m_selection->id;
}

void OrgStore::selectOrg(const CLIOrg &org)
{
    m_loader.notePick();
    select(OrgRef::of(org));
}

void OrgStore::select(std::optional<OrgRef> selection)
{
    m_selection = std::move(selection);
    Q_EMIT selectedIDChanged();
}

void OrgStore::setSearch(const QString &text)
{
    m_search = text;
    Q_EMIT searchChanged();
}

void OrgStore::setStatus(const StatusMessage &status)
{
    m_loader.noteStatus();
    m_status = status;
    Q_EMIT statusChanged();
}

void OrgStore::setStatus(const QString &text, StatusMessage::Severity severity) { setStatus({text, severity}); }

void OrgStore::setBusy(bool busy)
{
    m_isBusy = busy;
    Q_EMIT isBusyChanged();
}

QList<CLIOrg> OrgStore::filteredOrgs() const { return filter(m_loader.orgs(), m_search); }

QList<CLIOrg> OrgStore::filter(const QList<CLIOrg> &orgs, const QString &search)
{
    const QString text = search.trimmed();
    if (text.isEmpty())
        return orgs;
    // Letter case is ignored.
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    QList<CLIOrg> matching;
    for (const CLIOrg &org : orgs) {
        if (org.matches(matcher))
            matching.append(org);
    }
    return matching;
}

std::optional<CLIOrg> OrgStore::selectedOrg() const
{
    const CLIOrg *org = m_selection ? m_selection->in(m_loader.orgs()) : nullptr;
    return org ? std::optional(*org) : std::nullopt;
}
