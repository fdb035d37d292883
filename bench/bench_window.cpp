// The window with a large org list: cold start to the first painted window, memory with
// 10,000 orgs loaded, and what one keystroke in the filter costs (filter, list model, repaint).
//
//   bench_window <fake-sf>            Google Benchmark of the keystroke
//   bench_window <fake-sf> --startup  one start: prints the milliseconds to the first paint
//                                     after main() and the resident memory once loaded
//   bench_window <fake-sf> --actionable  one start with a full list that takes 5 s: prints the
//                                     milliseconds to a list the user can act on, next to the
//                                     quick list command's own time
//   bench_window <fake-sf> --files N  one start with N connections in the CLI's files and a CLI
//                                     whose lists take 1.5 s, the data made before it execs itself:
//                                     prints the milliseconds from exec to the first paint and how
//                                     many rows it shows
#include "ContentView.h"
#include "HeaderPanel.h"
#include "MainWindow.h"
#include "OrgList.h"
#include "OrgListJson.h"
#include "OrgStore.h"
#include "SFCLI.h"
#include "BrowserLocations.h"
#include "Translations.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::unique_ptr<MainWindow> window;

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// Paints happen in the event loop; this notices the first one of the window's content.
struct FirstPaint : QObject
{
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

ContentView *content() { return window->findChild<ContentView *>(); }
OrgStore *store() { return window->findChild<OrgStore *>(); }

void filterOnly(benchmark::State &state)
{
    const QList<CLIOrg> &orgs = store()->orgs();
    const QString texts[] = {QStringLiteral("o"), QStringLiteral("org-0"), QStringLiteral("org-01"),
                             QStringLiteral("org-012"), QStringLiteral("user12")};
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(OrgStore::filter(orgs, texts[i++ % std::size(texts)]).size());
}

void keystroke(benchmark::State &state)
{
    OrgStore &store = *::store();
    QListView *list = content()->findChild<QListView *>();
    const QString texts[] = {QStringLiteral("o"), QStringLiteral("org-0"), QStringLiteral("org-01"),
                             QStringLiteral("org-012"), QStringLiteral("org-01"), QString()};
    size_t i = 0;
    for (auto _ : state) {
        store.setSearch(texts[i++ % std::size(texts)]);
        list->viewport()->repaint();
    }
    state.counters["orgs"] = static_cast<double>(store.orgs().size());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <fake-sf> [--startup]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool startup = argc > 2 && std::strcmp(argv[2], "--startup") == 0;
    const bool actionable = argc > 2 && std::strcmp(argv[2], "--actionable") == 0;
    const int files = argc > 3 && std::strcmp(argv[2], "--files") == 0 ? std::atoi(argv[3]) : 0;
    QTemporaryDir scenario, home;
    const bool started = qEnvironmentVariableIsSet("BENCH_EXEC_NS"); // the data is there, made before the exec
    for (int i = 0; i < (started ? 0 : files); ++i) { // as the CLI writes them, tokens included
        const QByteArray user = "org" + QByteArray::number(i) + "@bench.example";
        QFile auth(home.filePath(QStringLiteral(".sfdx/") + QString::fromLatin1(user) + QStringLiteral(".json")));
        if (!QDir().mkpath(home.filePath(QStringLiteral(".sfdx"))) || !auth.open(QIODevice::WriteOnly)
            || auth.write("{\"accessToken\":\"00D!x\",\"instanceUrl\":\"https://" + user + "\",\"orgId\":\"00D" + QByteArray::number(i)
                          + "\",\"username\":\"" + user + "\",\"loginUrl\":\"https://login.salesforce.com\",\"refreshToken\":\"5Aep\","
                            "\"clientId\":\"PlatformCLI\",\"isDevHub\":false,\"isSandbox\":false,\"isScratch\":false}") < 0)
            return 2;
    }
    const QByteArray list = started ? QByteArray() : makeOrgListJson(10'000);
    // The quick list answers at once; with --actionable the full one takes five seconds.
    for (const char *folder : {".", "org_list_--json_--skip-connection-status", "org_list_--json"}) {
        if (started)
            break;
        const QString dir = scenario.filePath(QString::fromLatin1(folder));
        QFile out(dir + QStringLiteral("/stdout"));
        QFile delay(dir + QStringLiteral("/delay"));
        if (!QDir().mkpath(dir) || !out.open(QIODevice::WriteOnly) || out.write(list) < 0
            || (actionable && std::strcmp(folder, "org_list_--json") == 0
                && (!delay.open(QIODevice::WriteOnly) || delay.write("5") < 0))
            || (files && std::strcmp(folder, ".") != 0 && (!delay.open(QIODevice::WriteOnly) || delay.write("1.5") < 0)))
            return 2;
    }
    if (!started)
        qputenv("FAKE_SF_SCENARIO", QFile::encodeName(scenario.path()));
    const auto cli = std::make_shared<const SFCLI>(QFile::decodeName(argv[1]), QStringList());
    double quickMs = 0;
    if (actionable) { // the quick list command alone: the median of five runs
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i) {
            const auto begin = std::chrono::steady_clock::now();
            cli->run({QStringLiteral("org"), QStringLiteral("list"), QStringLiteral("--json"),
                      QStringLiteral("--skip-connection-status")});
            runs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
        }
        std::sort(runs.begin(), runs.end());
        quickMs = runs[2];
        // The alias table, read beside the quick list, takes as long.
        QByteArrayList pairs;
        for (const CLIOrg &org : OrgList::decode(list)) {
            if (org.alias)
                pairs << "{\"alias\":\"" + org.alias->toUtf8() + "\",\"value\":\"" + org.username.toUtf8() + "\"}";
        }
        const QString dir = scenario.filePath(QStringLiteral("alias_list_--json"));
        QFile out(dir + QStringLiteral("/stdout")), delay(dir + QStringLiteral("/delay"));
        if (!QDir().mkpath(dir) || !out.open(QIODevice::WriteOnly) || out.write("{\"status\":0,\"result\":[" + pairs.join(',') + "]}") < 0
            || !delay.open(QIODevice::WriteOnly) || delay.write(QByteArray::number(quickMs / 1000)) < 0)
            return 2;
    }
    auto browsers = std::make_shared<BrowserLocations>();
    if (files && !qEnvironmentVariableIsSet("BENCH_EXEC_NS")) { // timed from exec, as a launcher starts the app
        qputenv("BENCH_HOME", QFile::encodeName(home.path()));
        timespec now = {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        qputenv("BENCH_EXEC_NS", QByteArray::number(qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec));
        const pid_t child = ::fork();
        if (child == 0) {
            ::execv(argv[0], argv);
            ::_exit(2);
        }
        int status = 2;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : 2;
    }

    // From here on as the program starts: what comes before is the test data.
    const auto start = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    Translations::use(QLocale::system().uiLanguages()); // as the window module does: LANGUAGE=ru measures Russian
    auto *orgStore = new OrgStore(cli, browsers);
    if (files)
        orgStore->followCLI(qEnvironmentVariable("BENCH_HOME")); // as the window module does
    window = std::make_unique<MainWindow>(orgStore, browsers);
    FirstPaint firstPaint;
    content()->installEventFilter(&firstPaint);
    window->show();
    while (!firstPaint.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double paintedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (files) {
        timespec now = {};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const double execMs = double(qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec - qgetenv("BENCH_EXEC_NS").toLongLong()) / 1e6;
        std::printf("first paint %.1f ms after exec (%.1f ms after the start of Qt), showing %lld of the %d orgs in the CLI's "
                    "files; the CLI's list takes 1.5 s\n", execMs, paintedMs, static_cast<long long>(store()->orgs().size()), files);
        window.reset();
        return 0;
    }
    while (store()->isBusy() || store()->orgs().isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (actionable) {
        const double readyMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        const bool checking = store()->connections() == OrgStore::Connections::checking;
        std::printf("actionable list of %lld orgs %.1f ms after the start (connections %s); the quick list "
                    "command alone %.1f ms; the app adds %.1f ms\n",
                    static_cast<long long>(store()->orgs().size()), readyMs,
                    checking ? "still being checked" : "already checked", quickMs, readyMs - quickMs);
        window.reset();
        return 0;
    }
    QTest::qWait(50); // let the list paint itself
    if (startup) {
        std::printf("first paint %.1f ms after the start of Qt; %lld orgs loaded; resident %ld kB\n", paintedMs,
                    static_cast<long long>(store()->orgs().size()), residentKilobytes());
        window.reset();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("filter only, 10,000 orgs", filterOnly)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("keystroke: filter, list and repaint, 10,000 orgs", keystroke)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    window.reset();
    return 0;
}
