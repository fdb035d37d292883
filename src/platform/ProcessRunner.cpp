#include "ProcessRunner.h"

#include "PosixFiles.h"
#include "StopSignal.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <limits>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Longer limits than this are treated as "no limit" without overflowing the clock.
constexpr std::chrono::duration<double> kLongestLimit{365.0 * 24 * 3600};

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

bool makePipe(FileDescriptor &readEnd, FileDescriptor &writeEnd)
{
    int fds[2];
    if (!PosixFiles::openPipe(fds))
        return false;
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    return true;
}

// A descriptor that becomes readable when the child ends (Linux 5.3+), so that the wait needs no
// polling step. -1 where the system has none; the loop then falls back to short waits.
int openProcessHandle(pid_t pid)
{
#if defined(__linux__) && defined(SYS_pidfd_open)
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

enum class Read { open, finished, overflowed };

// Reads what the pipe holds now, at most `budget` chunks so the caller gets back to its deadline,
// and never more than one byte past `cap` in all.
Read readAvailable(int fd, QByteArray &into, int budget, qsizetype cap)
{
    constexpr qsizetype kChunk = 64 * 1024;
    const qsizetype limit = cap < std::numeric_limits<qsizetype>::max() ? cap + 1 : cap;
    while (budget-- > 0) {
        const qsizetype used = into.size();
        if (used > cap)
            return Read::overflowed;
        // Straight into the result's spare room: no copy through a buffer of our own. The room
        // grows geometrically, but never past one byte beyond the cap.
        if (into.capacity() - used < std::min(kChunk, limit - used))
            into.reserve(std::min(std::max(2 * into.capacity(), used + kChunk), limit));
        const qsizetype room = std::min(into.capacity(), limit) - used;
        into.resize(used + room);
        const ssize_t n = ::read(fd, into.data() + used, static_cast<size_t>(room));
        into.resize(used + std::max<ssize_t>(n, 0));
        if (n > 0)
            continue;
        if (n == 0)
            return Read::finished;
        if (errno == EINTR) {
            ++budget;
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK ? Read::open : Read::finished;
    }
    return into.size() > cap ? Read::overflowed : Read::open;
}

// True once the child has ended and been reaped; fills `status`.
bool reapIfEnded(pid_t pid, int &status, bool &statusLost)
{
    for (;;) {
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return true;
        if (r == 0)
            return false;
        if (errno == EINTR)
            continue;
        // ECHILD: reaped elsewhere (SIGCHLD ignored by the process); its status is unknown.
        statusLost = true;
        return true;
    }
}

void reapBlocking(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

// Waits for the end of the child until `deadline`; true when it ended and was reaped.
bool waitForEnd(pid_t pid, int processHandle, Clock::time_point deadline)
{
    int status = 0;
    bool lost = false;
    while (!reapIfEnded(pid, status, lost)) {
        const int waitMs = millisecondsUntil(deadline);
        if (waitMs <= 0)
            return false;
        if (processHandle >= 0) {
            pollfd p{processHandle, POLLIN, 0};
            ::poll(&p, 1, waitMs);
        } else {
            ::poll(nullptr, 0, std::min(waitMs, 5));
        }
    }
    return true;
}

Clock::time_point deadlineAfter(std::chrono::duration<double> limit);

// The child leads a process group of its own: an `sf` that is a script starting Node without
// exec would otherwise leave Node running (holding the login port). A browser the CLI starts is
// in a session of its own and is not touched. The termination request to the whole group, a
// grace period for all of it, then the kill; the child always reaped.
void endChild(pid_t pid, int processHandle, std::chrono::duration<double> grace)
{
    const Clock::time_point deadline = deadlineAfter(grace);
    ::kill(-pid, SIGTERM);
    if (waitForEnd(pid, processHandle, deadline)) {
        // Reaped, yet its group keeps the id from reuse while any member lives.
        while (::kill(-pid, 0) == 0) {
            if (Clock::now() >= deadline) {
                ::kill(-pid, SIGKILL);
                break;
            }
            ::poll(nullptr, 0, 5);
        }
        return;
    }
    ::kill(-pid, SIGKILL);
    reapBlocking(pid);
}

Clock::time_point deadlineAfter(std::chrono::duration<double> limit)
{
    const auto now = Clock::now();
    if (!(limit > std::chrono::duration<double>::zero())) // also NaN
        return now;
    return now + std::chrono::duration_cast<Clock::duration>(std::min(limit, kLongestLimit));
}

std::vector<char *> nullTerminated(const QByteArrayList &list, const QByteArray *first = nullptr)
{
    std::vector<char *> out;
    out.reserve(list.size() + 2);
    if (first)
        out.push_back(const_cast<char *>(first->constData()));
    for (const QByteArray &item : list)
        out.push_back(const_cast<char *>(item.constData()));
    out.push_back(nullptr);
    return out;
}

constexpr int kChunksPerWake = 16;
constexpr int kChunksAfterEnd = 4096; // bounded: a grandchild may write without end

// The child's standard output and error: the write ends are the child's, the read ends ours.
struct OutputPipes
{
    FileDescriptor outRead, outWrite, errRead, errWrite;

    bool open() { return makePipe(outRead, outWrite) && makePipe(errRead, errWrite); }
    // Our copies of the child's ends closed, so that an end of file comes once the child's close.
    void closeChildEnds()
    {
        outWrite.reset();
        errWrite.reset();
    }
    void setNonBlocking()
    {
        ::fcntl(outRead.get(), F_SETFL, ::fcntl(outRead.get(), F_GETFL) | O_NONBLOCK);
        ::fcntl(errRead.get(), F_SETFL, ::fcntl(errRead.get(), F_GETFL) | O_NONBLOCK);
    }
};

void redirectStreams(posix_spawn_file_actions_t &actions, const OutputPipes &pipes)
{
    posix_spawn_file_actions_adddup2(&actions, pipes.outWrite.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipes.errWrite.get(), STDERR_FILENO);
    // In a group of its own the child is not in the terminal's foreground: reading it would stop
    // the child. No command asks for input.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
}

// The child starts with no blocked signals and default handlers, whatever this thread has.
void setChildAttributes(posix_spawnattr_t &attributes)
{
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD, SIGUSR1, SIGUSR2, SIGALRM})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP;
#if defined(__APPLE__)
    // Closes every descriptor not named here, so nothing of the app leaks into the CLI.
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif
    posix_spawnattr_setflags(&attributes, flags);
}

// The child's id; nothing when it could not start.
std::optional<pid_t> spawnChild(const ProcessRequest &request, const OutputPipes &pipes)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    redirectStreams(actions, pipes);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    setChildAttributes(attributes);

    const std::vector<char *> argv = nullTerminated(request.arguments, &request.program);
    const std::vector<char *> envp = nullTerminated(request.environment);

    pid_t pid = -1;
    const int spawnError = ::posix_spawn(&pid, request.program.constData(), &actions, &attributes,
                                         argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (spawnError != 0)
        return std::nullopt;
    return pid;
}

// A started child, read from until it ends, or ended (its whole group) when it has to stop early.
class ChildRun
{
public:
    ChildRun(const ProcessRequest &request, pid_t pid, OutputPipes &pipes, ProcessResult &result)
        : m_request(request)
        , m_stop(request.stop)
        , m_pid(pid)
        , m_pipes{&pipes.outRead, &pipes.errRead}
        , m_sinks{&result.standardOutput, &result.standardError}
        , m_result(result)
        , m_processHandle(openProcessHandle(pid))
        , m_deadline(deadlineAfter(request.timeout))
    {
    }

    // Returns with the child reaped and the result's state set.
    void run()
    {
        // Whatever goes wrong from here on (memory, say), the child does not outlive the run.
        try {
            while (!reapIfEnded(m_pid, m_status, m_statusLost)) {
                if (const std::optional<ProcessResult::State> early = reasonToEnd()) {
                    endChild(m_pid, m_processHandle.get(), m_request.killGrace);
                    m_result.state = *early;
                    return;
                }
                readWhatArrives();
            }
        } catch (...) {
            endChild(m_pid, m_processHandle.get(), m_request.killGrace);
            throw;
        }
        takeWhatIsLeft();
        setEndState();
    }

private:
    std::optional<ProcessResult::State> reasonToEnd() const
    {
        if (m_stop && m_stop->requested())
            return ProcessResult::State::Stopped;
        if (m_overflowed)
            return ProcessResult::State::OutputTooLarge;
        if (Clock::now() >= m_deadline)
            return ProcessResult::State::TimedOut;
        return std::nullopt;
    }

    // One wait for output, the child's end, a stop or the deadline, then what the pipes hold.
    void readWhatArrives()
    {
        pollfd fds[4];
        nfds_t count = 0;
        int pipeAt[2] = {-1, -1};
        for (int i = 0; i < 2; ++i) {
            if (m_pipes[i]->isOpen()) {
                pipeAt[i] = static_cast<int>(count);
                fds[count++] = {m_pipes[i]->get(), POLLIN, 0};
            }
        }
        const bool pipesOpen = count > 0;
        if (m_processHandle.isOpen())
            fds[count++] = {m_processHandle.get(), POLLIN, 0};
        if (m_stop && m_stop->waitHandle() >= 0)
            fds[count++] = {m_stop->waitHandle(), POLLIN, 0};
        if (::poll(count ? fds : nullptr, count, std::max(waitMilliseconds(pipesOpen), 1)) < 0 && errno != EINTR)
            ::poll(nullptr, 0, 1);

        for (int i = 0; i < 2; ++i) {
            if (pipeAt[i] >= 0 && (fds[pipeAt[i]].revents & (POLLIN | POLLHUP | POLLERR))) {
                const Read read = readAvailable(m_pipes[i]->get(), *m_sinks[i], kChunksPerWake, m_request.outputCap);
                m_overflowed = m_overflowed || read == Read::overflowed;
                if (read == Read::finished)
                    m_pipes[i]->reset();
            }
        }
    }

    int waitMilliseconds(bool pipesOpen) const
    {
        int waitMs = millisecondsUntil(m_deadline);
        // Without a process handle, look at the child now and then: a grandchild may hold the
        // pipes open long after the child has ended.
        if (!m_processHandle.isOpen())
            waitMs = std::min(waitMs, pipesOpen ? 10 : 1);
        if (m_stop && m_stop->waitHandle() < 0)
            waitMs = std::min(waitMs, 10);
        return waitMs;
    }

    // The child can write no more; take what its pipes hold now instead of waiting for an end of
    // file that a grandchild holding the pipes (a browser the CLI started) may never give.
    void takeWhatIsLeft()
    {
        for (int i = 0; i < 2; ++i) {
            if (m_pipes[i]->isOpen()
                && readAvailable(m_pipes[i]->get(), *m_sinks[i], kChunksAfterEnd, m_request.outputCap) == Read::overflowed)
                m_overflowed = true;
        }
    }

    void setEndState()
    {
        if (m_overflowed) {
            m_result.state = ProcessResult::State::OutputTooLarge;
            return;
        }
        m_result.state = ProcessResult::State::Exited;
        if (m_statusLost) {
            m_result.exitCode = -1;
        } else if (WIFEXITED(m_status)) {
            m_result.exitCode = WEXITSTATUS(m_status);
        } else if (WIFSIGNALED(m_status)) {
            m_result.signal = WTERMSIG(m_status);
        }
    }

    const ProcessRequest &m_request;
    const StopSignal *m_stop;
    const pid_t m_pid;
    FileDescriptor *m_pipes[2]; // standard output, standard error
    QByteArray *m_sinks[2];
    ProcessResult &m_result;
    const FileDescriptor m_processHandle;
    const Clock::time_point m_deadline;
    int m_status = 0;
    bool m_statusLost = false;
    bool m_overflowed = false;
};

} // namespace

ProcessResult runProcess(const ProcessRequest &request)
{
    ProcessResult result;
    if (request.stop && request.stop->requested()) {
        result.state = ProcessResult::State::Stopped;
        return result;
    }
    OutputPipes pipes;
    if (!pipes.open())
        return result;
    const std::optional<pid_t> pid = spawnChild(request, pipes);
    pipes.closeChildEnds();
    if (!pid)
        return result;
    pipes.setNonBlocking();
    ChildRun(request, *pid, pipes, result).run();
    return result;
}
