#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <chrono>
#include <limits>

class StopSignal;

// Runs one child process to its end under a time limit and collects both output streams.
// Plain POSIX (posix_spawn, pipes, poll, waitpid) so that it behaves the same on Linux and macOS
// and needs no event loop: it blocks the calling thread, which may be any thread. The child leads
// a process group of its own, and ending it (time limit, stop, output cap) ends the whole group.
struct ProcessRequest
{
    QByteArray program; // absolute path, in the file system's encoding
    QByteArrayList arguments; // argv[1...], each one argument
    QByteArrayList environment; // complete "NAME=value" list for the child
    std::chrono::duration<double> timeout{30.0};
    // How long a child that got the termination request may take to end before it is killed.
    std::chrono::duration<double> killGrace{2.0};
    // When it is requested, the child is ended as at the time limit; before the start, no child
    // is started at all.
    const StopSignal *stop = nullptr;
    // Past this many bytes on either stream the child is ended as at the time limit.
    qsizetype outputCap = std::numeric_limits<qsizetype>::max();
};

struct ProcessResult
{
    enum class State {
        Exited, // ended by itself or by a signal; see exitCode / signal
        TimedOut, // still running at the deadline: terminated (then killed) and reaped
        FailedToStart,
        Stopped, // a stop was requested: terminated (then killed) and reaped, or never started
        OutputTooLarge, // a stream passed outputCap: terminated (then killed) and reaped
    };

    State state = State::FailedToStart;
    int exitCode = -1; // valid when the child exited normally
    int signal = 0; // non-zero when a signal ended the child
    QByteArray standardOutput;
    QByteArray standardError;

    bool succeeded() const { return state == State::Exited && signal == 0 && exitCode == 0; }
};

ProcessResult runProcess(const ProcessRequest &request);
