#pragma once

#include <atomic>
#include <exception>

// A request to stop the work of one job, shared between the thread that asks and the thread that
// works. A runner waiting on a child also waits on waitHandle(), so a stop ends the child at once
// instead of at its time limit.
class StopSignal
{
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal &) = delete;
    StopSignal &operator=(const StopSignal &) = delete;

    // From any thread, any number of times.
    void request() noexcept;
    bool requested() const noexcept { return m_requested.load(std::memory_order_acquire); }
    // Readable once a stop was requested; -1 when no descriptor could be had (the runner then
    // looks at requested() between short waits).
    int waitHandle() const noexcept { return m_read; }
    // The app is quitting: what runs may finish, but nothing new starts (the CLI adapter refuses
    // to start a child with Stopped).
    void finishOnly() noexcept { m_finishOnly.store(true, std::memory_order_release); }
    bool finishesOnly() const noexcept { return m_finishOnly.load(std::memory_order_acquire); }

    // The signal of the job that the calling thread works for, if any. The CLI adapter passes it
    // to every child it runs, so a job's commands stop without each one taking it as an argument.
    static const StopSignal *current() noexcept;
    // Throws Stopped when the calling thread's job was asked to stop.
    static void throwIfRequested();

    // Makes `signal` the calling thread's current one for its own lifetime.
    class Scope
    {
    public:
        explicit Scope(const StopSignal *signal) noexcept;
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        const StopSignal *m_previous;
    };

private:
    std::atomic<bool> m_requested{false};
    std::atomic<bool> m_finishOnly{false};
    int m_read = -1;
    int m_write = -1;
};

// The work was stopped on request: nothing of its outcome is to be applied.
class Stopped : public std::exception
{
public:
    const char *what() const noexcept override { return "stopped"; }
};
