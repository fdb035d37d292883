#include "JobRunner.h"

#include "AppError.h"
#include "StopSignal.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

// One thread per job rather than a pool: a job blocks on one CLI command for up to fifteen minutes
// (the web login), and a pool sized to the cores would keep a refresh waiting behind it.
struct JobRunner::Job
{
    // What the job's thread hands over. A mutex of our own rather than the event alone: the hand
    // over stays visible to ThreadSanitizer, which cannot see inside the uninstrumented Qt.
    struct Mailbox
    {
        std::mutex mutex;
        bool ended = false;
        quint64 endedAs = 0; // the order in which jobs ended
        Apply apply;
        std::optional<QString> failure;
    };

    Options options;
    Fail fail;
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

JobRunner::JobRunner(QObject *parent)
    : QObject(parent)
{
    // Queued through a connection made here, so the slot object is the GUI thread's own.
    connect(this, &JobRunner::threadEnded, this, &JobRunner::collectEnded, Qt::QueuedConnection);
}

JobRunner::~JobRunner() { shutDown(std::chrono::milliseconds::zero()); }

quint64 JobRunner::start(Work work, Fail fail, Options options)
{
    const quint64 id = ++m_lastID;
    auto job = std::make_unique<Job>();
    job->options = std::move(options);
    job->fail = std::move(fail);
    try {
        job->thread = std::thread([this, stop = job->stop, mailbox = job->mailbox, work = std::move(work)] {
            const StopSignal::Scope scope(stop.get());
            Apply apply;
            std::optional<QString> failure;
            try {
                apply = work();
            } catch (const Stopped &) {
            } catch (const DescribedError &error) {
                failure = error.description();
            } catch (const std::exception &error) {
                failure = QString::fromUtf8(error.what());
            }
            {
                const std::lock_guard lock(mailbox->mutex);
                mailbox->apply = std::move(apply);
                mailbox->failure = std::move(failure);
                mailbox->endedAs = ++m_endedCount;
                mailbox->ended = true;
            }
            // The runner joins this thread before it goes, so it is still there to signal.
            Q_EMIT threadEnded(QPrivateSignal{});
        });
    } catch (const std::system_error &error) { // no thread could be started
        job->fail({0, false}, QString::fromUtf8(error.what()));
        return 0;
    }
    m_jobs.emplace(id, std::move(job));
    return id;
}

QList<JobRunner::Running> JobRunner::running() const
{
    QList<Running> list;
    for (const auto &[id, job] : m_jobs) {
        if (!job->stopped && job->options.kind == Kind::foreground)
            list.append({id, job->options.startMessage, job->options.onQuit == OnQuit::stopAtOnce});
    }
    return list;
}

bool JobRunner::anyRunning() const
{
    return std::any_of(m_jobs.cbegin(), m_jobs.cend(), [](const auto &entry) { return !entry.second->stopped; });
}

void JobRunner::stop(quint64 id)
{
    const auto it = m_jobs.find(id);
    if (it == m_jobs.end() || it->second->stopped)
        return;
    it->second->stopped = true;
    it->second->stop->request();
    Q_EMIT stopped(id, it->second->options.kind);
}

void JobRunner::shutDown(std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (auto &[id, job] : m_jobs) {
        job->stop->finishOnly();
        if (job->options.onQuit == OnQuit::stopAtOnce)
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

void JobRunner::collectEnded()
{
    struct Ended
    {
        quint64 id, endedAs;
        std::unique_ptr<Job> job;
    };
    std::vector<Ended> done;
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        if (!it->second->ended()) {
            ++it;
            continue;
        }
        it->second->thread.join(); // it has handed over and is ending
        const quint64 endedAs = it->second->mailbox->endedAs;
        done.push_back({it->first, endedAs, std::move(it->second)});
        it = m_jobs.erase(it);
    }
    std::sort(done.begin(), done.end(), [](const Ended &a, const Ended &b) { return a.endedAs < b.endedAs; });
    for (Ended &e : done) {
        Job &job = *e.job;
        if (job.stopped) // its end was accounted for when it was stopped
            continue;
        Delivery delivery{e.id, false};
        quint64 *newest = job.options.purpose == Purpose::none ? nullptr : &m_newestDelivered[job.options.purpose];
        if (newest)
            delivery.stale = e.id < *newest;
        if (job.mailbox->apply) {
            if (newest) // a failure leaves what was delivered current
                *newest = std::max(*newest, e.id);
            job.mailbox->apply(delivery);
        } else if (job.mailbox->failure && job.fail) {
            job.fail(delivery, *job.mailbox->failure);
        }
        Q_EMIT ended(e.id, job.options.kind);
    }
}
