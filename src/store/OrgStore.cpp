#include "OrgStore.h"

#include "AppError.h"
#include "BrowserLocations.h"
#include "SFCLI.h"
#include "StopSignal.h"

#include <QStringMatcher>

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

using namespace Qt::Literals::StringLiterals;

// One thread per job rather than a pool: a job blocks on one CLI command for up to fifteen minutes
// (the web login), and a pool sized to the cores would keep a refresh waiting behind it. The store
// joins every thread, so nothing of a job outlives it.
struct OrgStore::Job
{
    // What the job's thread hands over. A mutex of our own rather than the event alone: the hand
    // over stays visible to ThreadSanitizer, which cannot see inside the uninstrumented Qt.
    struct Mailbox
    {
        std::mutex mutex;
        bool ended = false;
        quint64 endedAs = 0; // the order in which jobs ended
        Outcome outcome;
    };

    QString startMessage;
    bool stopsAtOnce = false;
    bool background = false;
    std::shared_ptr<StopSignal> stop = std::make_shared<StopSignal>();
    std::shared_ptr<Mailbox> mailbox = std::make_shared<Mailbox>();
    std::thread thread;
    bool stopped = false;

    bool ended()
    {
        const std::lock_guard lock(mailbox->mutex);
        return mailbox->ended;
    }
};

OrgStore::OrgStore(QObject *parent)
    : OrgStore(SFCLI::shared(), BrowserLocations::system(), parent)
{
}

OrgStore::OrgStore(std::shared_ptr<const SFCLI> cli, std::shared_ptr<const BrowserLocations> browsers,
                   QObject *parent)
    : QObject(parent)
    , m_cli(std::move(cli))
    , m_browsers(std::move(browsers))
    , m_status(tr("Loading Salesforce CLI connections..."))
{
}

OrgStore::~OrgStore() { endJobs(std::chrono::milliseconds::zero()); }

void OrgStore::shutDown(std::chrono::milliseconds patience)
{
    endJobs(patience);
    if (m_isBusy)
        setBusy(false);
}

void OrgStore::endJobs(std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (auto &[id, job] : m_jobs) {
        if (job->stopsAtOnce)
            job->stop->request();
    }
    for (auto &[id, job] : m_jobs) {
        while (!job->ended() && !job->stop->requested() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        job->stop->request();
    }
    // Outcomes already posted are never applied: their jobs are gone.
    for (auto &[id, job] : m_jobs) {
        if (job->thread.joinable())
            job->thread.join();
    }
    m_jobs.clear();
}

QList<OrgStore::RunningJob> OrgStore::runningJobs() const
{
    QList<RunningJob> running;
    for (const auto &[id, job] : m_jobs) {
        if (!job->stopped && !job->background)
            running.append({id, job->startMessage, job->stopsAtOnce});
    }
    return running;
}

void OrgStore::stopJob(quint64 id)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end() || it->second->stopped)
        return;
    it->second->stopped = true;
    it->second->stop->request();
    if (m_isBusy && runningJobs().isEmpty())
        setBusy(false);
}

quint64 OrgStore::start(const QString &message, std::function<Outcome()> work, bool stopsAtOnce,
                       bool background)
{
    if (!background) {
        setBusy(true);
        setStatus(message);
    }
    // What a job's failure says: the status line; a background job's goes to the check it is.
    auto failure = [background](const QString &description) -> Outcome {
        return [description, background](OrgStore &store, quint64 id) {
            if (background)
                store.failCheck(id, description);
            else
                store.setStatus(description);
        };
    };
    const quint64 id = ++m_lastJobID;
    auto job = std::make_unique<Job>();
    job->startMessage = message;
    job->stopsAtOnce = stopsAtOnce;
    job->background = background;
    try {
        job->thread = std::thread([this, stop = job->stop, mailbox = job->mailbox, work = std::move(work),
                                   failure] {
            const StopSignal::Scope scope(stop.get());
            Outcome outcome;
            try {
                outcome = work();
            } catch (const Stopped &) {
            } catch (const DescribedError &error) {
                outcome = failure(error.description());
            } catch (const std::exception &error) {
                outcome = failure(QString::fromUtf8(error.what()));
            }
            {
                const std::lock_guard lock(mailbox->mutex);
                mailbox->outcome = std::move(outcome);
                mailbox->endedAs = ++m_jobsEnded;
                mailbox->ended = true;
            }
            // The store joins this thread before it goes, so it is still there to post to.
            QMetaObject::invokeMethod(this, "collectEndedJobs", Qt::QueuedConnection);
        });
    } catch (const std::system_error &error) { // no thread could be started
        setStatus(QString::fromUtf8(error.what()));
        setBusy(!runningJobs().isEmpty());
        return 0;
    }
    m_jobs.emplace(id, std::move(job));
    return id;
}

void OrgStore::collectEndedJobs()
{
    struct Ended
    {
        quint64 id, endedAs;
        bool stopped, background;
        Outcome outcome;
    };
    std::vector<Ended> ended;
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        Job &job = *it->second;
        {
            const std::lock_guard lock(job.mailbox->mutex);
            if (!job.mailbox->ended) {
                ++it;
                continue;
            }
            ended.push_back({it->first, job.mailbox->endedAs, job.stopped, job.background,
                             std::move(job.mailbox->outcome)});
        }
        job.thread.join(); // it has handed over and is ending
        it = m_jobs.erase(it);
    }
    // In the order the jobs ended; a stopped job's end was accounted for when it was stopped.
    std::sort(ended.begin(), ended.end(),
              [](const Ended &a, const Ended &b) { return a.endedAs < b.endedAs; });
    for (Ended &job : ended) {
        if (job.stopped)
            continue;
        if (job.outcome)
            job.outcome(*this, job.id);
        if (!job.background)
            setBusy(!runningJobs().isEmpty());
    }
}

void OrgStore::setOrgs(QList<CLIOrg> orgs)
{
    m_orgs = std::move(orgs);
    m_aliases = CLIOrg::aliasesOf(m_orgs);
    Q_EMIT orgsChanged();
}

void OrgStore::setSelectedID(const std::optional<QString> &id)
{
    m_userChose = true;
    m_selectedUsername.reset();
    m_selectedID = id;
    Q_EMIT selectedIDChanged();
}

void OrgStore::selectOrg(const CLIOrg &org)
{
    m_userChose = true;
    select(&org);
}

void OrgStore::select(const CLIOrg *org)
{
    m_selectedUsername = org ? std::optional(org->username) : std::nullopt;
    m_selectedID = org ? std::optional(org->id()) : std::nullopt;
    Q_EMIT selectedIDChanged();
}

void OrgStore::setSearch(const QString &text)
{
    m_search = text;
    Q_EMIT searchChanged();
}

void OrgStore::setStatus(const QString &status)
{
    ++m_statusSerial;
    m_status = status;
    Q_EMIT statusChanged();
}

void OrgStore::setBusy(bool busy)
{
    m_isBusy = busy;
    Q_EMIT isBusyChanged();
}

void OrgStore::setConnections(Connections connections)
{
    m_connections = connections;
    Q_EMIT connectionsChanged();
}

QList<CLIOrg> OrgStore::filteredOrgs() const { return filter(m_orgs, m_search); }

QList<CLIOrg> OrgStore::filter(const QList<CLIOrg> &orgs, const QString &search)
{
    const QString text = search.trimmed();
    if (text.isEmpty())
        return orgs;
    // Letter case is ignored; accents and other marks still count.
    const QStringMatcher matcher(text, Qt::CaseInsensitive);
    auto contains = [&matcher](const QString &field) { return matcher.indexIn(field) >= 0; };
    QList<CLIOrg> matching;
    for (const CLIOrg &org : orgs) {
        if (contains(org.displayName()) || contains(org.username) || contains(org.instanceUrl)
            || (org.orgId && contains(*org.orgId)))
            matching.append(org);
    }
    return matching;
}

std::optional<CLIOrg> OrgStore::selectedOrg() const
{
    if (!m_selectedID)
        return std::nullopt;
    for (const CLIOrg &org : m_orgs) {
        if (org.id() == *m_selectedID && (!m_selectedUsername || org.username == *m_selectedUsername))
            return org;
    }
    return std::nullopt;
}

const CLIOrg *OrgStore::fallbackOrg(const QList<CLIOrg> &orgs)
{
    for (const CLIOrg &org : orgs) {
        if (org.isConnected())
            return &org;
    }
    return orgs.isEmpty() ? nullptr : &orgs.first();
}

std::optional<QString> OrgStore::fallbackSelection(const QList<CLIOrg> &orgs)
{
    const CLIOrg *org = fallbackOrg(orgs);
    return org ? std::optional(org->id()) : std::nullopt;
}
