// A stand-in for Google Chrome in tests. Every start appends one JSON line to the file that
// FAKE_CHROME_LOG names: {"argv0":"...","args":[...],"pid":123}. FAKE_CHROME_HOLD keeps it running
// for that many seconds afterwards, so that a test can see it was not waited for.
#include "JsonText.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    const char *log = std::getenv("FAKE_CHROME_LOG");
    if (!log || !*log) {
        std::fputs("fake-chrome: FAKE_CHROME_LOG is not set\n", stderr);
        return 97;
    }
    std::string record = "{\"argv0\":" + jsonString(argv[0]) + ",\"args\":[";
    for (int i = 1; i < argc; ++i)
        record += (i > 1 ? "," : "") + jsonString(argv[i]);
    record += "],\"pid\":" + std::to_string(::getpid()) + "}\n";

    // One write of the whole line, so a reader never sees half a record as a whole one.
    const int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return 98;
    const ssize_t written = ::write(fd, record.data(), record.size());
    ::close(fd);
    if (written != static_cast<ssize_t>(record.size()))
        return 99;

    if (const char *hold = std::getenv("FAKE_CHROME_HOLD")) {
        timespec rest{std::atoi(hold), 0};
        while (::nanosleep(&rest, &rest) != 0 && errno == EINTR) {
        }
    }
    return 0;
}
