#include "StopSignal.h"

#include "PosixFiles.h"

#include <cerrno>

#include <unistd.h>

namespace {

thread_local const StopSignal *t_current = nullptr;

} // namespace

StopSignal::StopSignal()
{
    int fds[2];
    if (!PosixFiles::openPipe(fds, PosixFiles::PipeMode::nonBlocking))
        return;
    m_read = fds[0];
    m_write = fds[1];
}

StopSignal::~StopSignal()
{
    for (int fd : {m_read, m_write}) {
        if (fd >= 0)
            ::close(fd);
    }
}

void StopSignal::request() noexcept
{
    if (m_requested.exchange(true, std::memory_order_acq_rel))
        return;
    // One byte is enough: nobody reads it, so the read end stays readable from now on.
    if (m_write >= 0) {
        const char byte = 1;
        while (::write(m_write, &byte, 1) < 0 && errno == EINTR) {
        }
    }
}

const StopSignal *StopSignal::current() noexcept { return t_current; }

void StopSignal::throwIfRequested()
{
    if (t_current && t_current->requested())
        throw Stopped();
}

StopSignal::Scope::Scope(const StopSignal *signal) noexcept
    : m_previous(t_current)
{
    t_current = signal;
}

StopSignal::Scope::~Scope() { t_current = m_previous; }
