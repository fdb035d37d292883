#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>

// Runs background work, one thread per job, and applies each outcome on the thread that owns the
// runner (the main thread), in the order the jobs ended. A job can be stopped: its CLI command is
// ended (termination request, grace period, kill, reaped) and its outcome dropped. Nothing of a
// job outlives the runner: it joins every thread.
class JobRunner : public QObject
{
    Q_OBJECT

public:
    // How an outcome reaches the main thread: `stale` when a newer job of the same purpose has
    // delivered already.
    struct Delivery
    {
        quint64 job = 0;
        bool stale = false;
    };
    using Apply = std::function<void(const Delivery &)>;
    // Runs on the job's thread; what it throws becomes a failure, StopSignal's Stopped nothing.
    using Work = std::function<Apply()>;
    using Fail = std::function<void(const Delivery &, const QString &description)>;

    enum class Kind {
        foreground, // counts as running: the store is busy while one runs
        background, // runs unnoticed (the connection check, the quiet reload)
    };
    enum class OnQuit {
        mayFinish, // may be writing the CLI's own files: given some patience
        stopAtOnce, // a web login: stopped before it has saved anything
    };
    enum class Purpose {
        none,
        list, // reads the list: an older one never replaces a newer one
    };
    struct Options
    {
        QString startMessage = {};
        Kind kind = Kind::foreground;
        OnQuit onQuit = OnQuit::mayFinish;
        Purpose purpose = Purpose::none; // newest wins among jobs of one purpose
    };

    struct Running
    {
        quint64 id;
        QString startMessage = {};
        bool stopsAtOnce;
    };

    explicit JobRunner(QObject *parent = nullptr);
    ~JobRunner() override;

    // Returns the job's id, or 0 with `fail` called at once when no thread could be started.
    quint64 start(Work work, Fail fail, Options options);
    // The foreground jobs that run and have not been stopped, oldest first.
    QList<Running> running() const;
    // Whether any job, of either kind, runs and has not been stopped.
    bool anyRunning() const;
    void stop(quint64 id);
    // Stops what stops at once, gives any other job up to `patience` to finish, then stops it.
    // Returns when every child has ended and been reaped; no outcome is applied.
    void shutDown(std::chrono::milliseconds patience);

Q_SIGNALS:
    // After a job's outcome was applied, or after it was stopped.
    void ended(quint64 job, JobRunner::Kind kind);
    void stopped(quint64 job, JobRunner::Kind kind);
    // From a job's own thread, once its outcome is in the mailbox.
    void threadEnded(QPrivateSignal);

private:
    struct Job;
    void collectEnded();

    std::map<quint64, std::unique_ptr<Job>> m_jobs;
    quint64 m_lastID = 0;
    std::atomic<quint64> m_endedCount = 0;
    std::map<Purpose, quint64> m_newestDelivered;
};
