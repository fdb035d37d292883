// A stand-in for the Salesforce CLI in tests. Plain C++ and POSIX, so that it starts as fast as a
// program can and the tests measure the application, not the fake.
//
// FAKE_SF_SCENARIO names a folder. Every call appends one JSON line to calls.jsonl there:
// {"args":[...],"path":"...","pathSet":true,"home":"...","pid":123}. The answer comes from the most specific folder among
// <first>_<second>_<third>, <first>_<second>, <first> (the call's arguments) and the scenario
// itself; inside it, a sub-folder named after the call count of that folder (1, 2, ...) wins.
// Files of an answer, each optional:
//   stdout, stderr    bytes to print (stdout first, unless the file stderr-first exists)
//   repeat            print stdout this many times (large outputs from a small file)
//   status            exit status (default 0)
//   delay             seconds to sleep before printing
//   ignore-term       ignore the termination request; otherwise a call that gets it notes its
//                     pid in terminated.pid in the scenario folder and exits
//   grandchild        seconds a grandchild holding both pipes lives on; its pid goes to
//                     grandchild.pid in the scenario folder
//   signal            end by this signal after printing
#include <algorithm>
#include "JsonText.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isDirectory(const std::string &path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool readFile(const std::string &path, std::string &into)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(fd);
    return true;
}

bool exists(const std::string &path) { return ::access(path.c_str(), F_OK) == 0; }

void writeAll(int fd, const std::string &data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (errno != EINTR) {
            std::exit(120); // the reader went away
        }
    }
}


void appendLine(const std::string &path, const std::string &line)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    writeAll(fd, line);
    ::close(fd);
}

// Counts the calls answered from `folder`, across processes.
int nextCount(const std::string &folder)
{
    const std::string path = folder + "/.count";
    std::string text;
    readFile(path, text);
    const int count = std::atoi(text.c_str()) + 1;
    const std::string updated = std::to_string(count);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) {
        writeAll(fd, updated);
        ::close(fd);
    }
    return count;
}

void sleepSeconds(double seconds)
{
    if (seconds <= 0)
        return;
    timespec t;
    t.tv_sec = static_cast<time_t>(seconds);
    t.tv_nsec = static_cast<long>((seconds - static_cast<double>(t.tv_sec)) * 1e9);
    while (::nanosleep(&t, &t) != 0 && errno == EINTR) {
    }
}

char terminatedFile[4096];

void onTerminate(int)
{
    char line[32];
    int n = 0;
    char digits[16];
    int d = 0;
    for (long pid = ::getpid(); pid > 0 && d < 16; pid /= 10)
        digits[d++] = static_cast<char>('0' + pid % 10);
    while (d > 0)
        line[n++] = digits[--d];
    line[n++] = '\n';
    const int fd = ::open(terminatedFile, O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, line, static_cast<size_t>(n));
        ::close(fd);
    }
    _exit(143);
}

} // namespace

int main(int argc, char **argv)
{
    const char *scenario = std::getenv("FAKE_SF_SCENARIO");
    if (!scenario || !*scenario) {
        std::fputs("fake-sf: FAKE_SF_SCENARIO is not set\n", stderr);
        return 97;
    }
    const std::string root = scenario;

    std::string record = "{\"args\":[";
    for (int i = 1; i < argc; ++i)
        record += (i > 1 ? "," : "") + jsonString(argv[i]);
    record += "],\"path\":" + jsonString(std::getenv("PATH"));
    record += ",\"pathSet\":" + std::string(std::getenv("PATH") ? "true" : "false");
    record += ",\"home\":" + jsonString(std::getenv("HOME"));
    record += ",\"pid\":" + std::to_string(::getpid()) + "}\n";
    appendLine(root + "/calls.jsonl", record);

    std::string folder = root;
    for (int depth = std::min(argc - 1, 3); depth > 0; --depth) {
        std::string name;
        bool usable = true;
        for (int i = 1; i <= depth; ++i) {
            usable = usable && std::strchr(argv[i], '/') == nullptr && argv[i][0] != '\0';
            name += (i > 1 ? "_" : "") + std::string(argv[i]);
        }
        if (usable && isDirectory(root + "/" + name)) {
            folder = root + "/" + name;
            break;
        }
    }
    const std::string numbered = folder + "/" + std::to_string(nextCount(folder));
    if (isDirectory(numbered))
        folder = numbered;
    auto file = [&](const char *name) { return folder + "/" + name; };

    std::string text;
    if (exists(file("ignore-term"))) {
        std::signal(SIGTERM, SIG_IGN);
    } else if (root.size() + 16 < sizeof terminatedFile) {
        std::snprintf(terminatedFile, sizeof terminatedFile, "%s/terminated.pid", root.c_str());
        std::signal(SIGTERM, onTerminate);
    }
    if (readFile(file("grandchild"), text)) {
        const double lifetime = std::atof(text.c_str());
        const pid_t pid = ::fork();
        if (pid == 0) {
            sleepSeconds(lifetime);
            _exit(0);
        }
        appendLine(root + "/grandchild.pid", std::to_string(pid) + "\n");
    }
    text.clear();
    if (readFile(file("delay"), text))
        sleepSeconds(std::atof(text.c_str()));

    std::string out, err, repeatText;
    readFile(file("stdout"), out);
    readFile(file("stderr"), err);
    long repeat = 1;
    if (readFile(file("repeat"), repeatText))
        repeat = std::atol(repeatText.c_str());
    auto printOut = [&] {
        for (long i = 0; i < repeat; ++i)
            writeAll(STDOUT_FILENO, out);
    };
    if (exists(file("stderr-first"))) {
        writeAll(STDERR_FILENO, err);
        printOut();
    } else {
        printOut();
        writeAll(STDERR_FILENO, err);
    }

    text.clear();
    if (readFile(file("signal"), text)) {
        const int s = std::atoi(text.c_str());
        std::signal(s, SIG_DFL);
        ::raise(s);
    }
    text.clear();
    return readFile(file("status"), text) ? std::atoi(text.c_str()) : 0;
}
