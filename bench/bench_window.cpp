// The window with a large org list: cold start to the first painted window, memory with
// 10,000 orgs loaded, and what one keystroke in the filter costs (filter, list model, repaint).
//
//   bench_window <fake-sf>            Google Benchmark of the keystroke
//   bench_window <fake-sf> --startup  one start: prints the milliseconds to the first paint
//                                     after main() and the resident memory once loaded
#include "ContentView.h"
#include "HeaderPanel.h"
#include "MainWindow.h"
#include "OrgListJson.h"
#include "OrgStore.h"
#include "SFCLI.h"
#include "BrowserLocations.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>

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

void filterOnly(benchmark::State &state)
{
    const QList<CLIOrg> &orgs = content()->store().orgs();
    const QString texts[] = {QStringLiteral("o"), QStringLiteral("org-0"), QStringLiteral("org-01"),
                             QStringLiteral("org-012"), QStringLiteral("user12")};
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(OrgStore::filter(orgs, texts[i++ % std::size(texts)]).size());
}

void keystroke(benchmark::State &state)
{
    OrgStore &store = content()->store();
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
    QTemporaryDir scenario;
    QFile out(scenario.filePath(QStringLiteral("stdout")));
    if (!out.open(QIODevice::WriteOnly) || out.write(makeOrgListJson(10'000)) < 0)
        return 2;
    out.close();
    qputenv("FAKE_SF_SCENARIO", QFile::encodeName(scenario.path()));
    const auto cli = std::make_shared<const SFCLI>(QFile::decodeName(argv[1]), QStringList());
    auto browsers = std::make_shared<BrowserLocations>();
    browsers->openInSystemBrowser = [](const QUrl &) {};

    // From here on as the program starts: what comes before is the test data.
    const auto start = std::chrono::steady_clock::now();
    QApplication app(argc, argv);
    window = std::make_unique<MainWindow>(cli, browsers);
    FirstPaint firstPaint;
    content()->installEventFilter(&firstPaint);
    window->show();
    while (!firstPaint.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double paintedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    while (content()->store().isBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QTest::qWait(50); // let the list paint itself
    if (startup) {
        std::printf("first paint %.1f ms after the start of Qt; %lld orgs loaded; resident %ld kB\n", paintedMs,
                    static_cast<long long>(content()->store().orgs().size()), residentKilobytes());
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
