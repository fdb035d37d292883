// What `tarnwick --self-test` adds to the CLI run it waits for: runs the fake `sf` printing a
// 1,000-org list alone and through the self-test, interleaved, and compares the medians.
//
//   selftest_overhead <tarnwick> <fake-sf> [runs]
#include "OrgListJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the program to its end; with `drain`, its standard output is a pipe that is read to the
// end (as any reader of the CLI's output must), else /dev/null.
double runOnce(const std::vector<QByteArray> &argv, const std::vector<QByteArray> &environment,
               bool drain = false)
{
    std::vector<char *> args, env;
    for (const QByteArray &a : argv)
        args.push_back(const_cast<char *>(a.constData()));
    args.push_back(nullptr);
    for (const QByteArray &e : environment)
        env.push_back(const_cast<char *>(e.constData()));
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int fds[2] = {-1, -1};
    if (drain) {
        if (pipe2(fds, O_CLOEXEC) != 0)
            std::exit(2);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) {
        std::fprintf(stderr, "cannot start %s\n", args[0]);
        std::exit(2);
    }
    if (drain) {
        close(fds[1]);
        static char buffer[1 << 16];
        while (read(fds[0], buffer, sizeof buffer) > 0) {
        }
        close(fds[0]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed with status %d\n", args[0], status);
        std::exit(2);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <tarnwick> <fake-sf> [runs]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(5, std::atoi(argv[3])) : 200;
    for (const char *dir : {"/opt/homebrew/bin", "/usr/local/bin", "/usr/bin", "/bin"}) {
        if (QFile::exists(QString::fromLatin1(dir) + QStringLiteral("/sf")))
            std::fprintf(stderr, "warning: %s/sf would be found before the fake\n", dir);
    }

    QTemporaryDir scenario, bin;
    QFile out(scenario.filePath(QStringLiteral("stdout")));
    if (!out.open(QIODevice::WriteOnly) || out.write(makeOrgListJson(1000)) < 0)
        return 2;
    out.close();
    const QString fake = QFile::decodeName(argv[2]);
    QFile::link(QDir(fake).absolutePath(), bin.filePath(QStringLiteral("sf")));

    const std::vector<QByteArray> environment{
        "PATH=" + QFile::encodeName(bin.path()), "HOME=" + QFile::encodeName(scenario.path()),
        "LANG=C.UTF-8", "FAKE_SF_SCENARIO=" + QFile::encodeName(scenario.path())};
    const std::vector<QByteArray> alone{QFile::encodeName(QDir(fake).absolutePath()), "org", "list",
                                        "--json"};
    const std::vector<QByteArray> selfTest{argv[1], "--self-test"};

    // How the self-test itself starts the CLI when sf is in neither fixed folder.
    const std::vector<QByteArray> throughEnv{"/usr/bin/env", "sf", "org", "list", "--json"};

    std::vector<double> fakeTimes, pipedTimes, envTimes, selfTestTimes;
    for (int i = 0; i < runs; ++i) {
        fakeTimes.push_back(runOnce(alone, environment));
        pipedTimes.push_back(runOnce(alone, environment, true));
        envTimes.push_back(runOnce(throughEnv, environment, true));
        selfTestTimes.push_back(runOnce(selfTest, environment));
        // The fake logs every call; keep the log from growing into the measurement.
        QFile::remove(scenario.filePath(QStringLiteral("calls")));
    }
    const double fakeMedian = median(fakeTimes), pipedMedian = median(pipedTimes),
                 envMedian = median(envTimes), selfTestMedian = median(selfTestTimes);
    std::printf("runs: %d each, 1,000-org list (%lld bytes)\n", runs,
                static_cast<long long>(QFileInfo(out.fileName()).size()));
    std::printf("fake sf alone, output to /dev/null:   median %6.2f ms\n", fakeMedian);
    std::printf("fake sf alone, output read from pipe: median %6.2f ms\n", pipedMedian);
    std::printf("/usr/bin/env sf ..., output from pipe: median %6.2f ms (the run the self-test waits for)\n",
                envMedian);
    std::printf("tarnwick --self-test:                 median %6.2f ms\n", selfTestMedian);
    std::printf("added by the app: %.2f ms over the run it waits for, %.2f ms over the fake alone"
                " into a pipe, %.2f ms over the fake alone into /dev/null (target: at most 15 ms)\n",
                selfTestMedian - envMedian, selfTestMedian - pipedMedian, selfTestMedian - fakeMedian);
    return 0;
}
