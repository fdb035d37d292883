// Decoding and sorting the org list: what a refresh costs besides the CLI run itself.
#include "AliasTable.h"
#include "OrgList.h"
#include "OrgListJson.h"

#include <QLocale>

#include <benchmark/benchmark.h>

namespace {

void decodeAndSort(benchmark::State &state)
{
    QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    const QByteArray json = makeOrgListJson(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QList<CLIOrg> orgs = OrgList::decode(json);
        OrgList::sortForDisplay(orgs);
        benchmark::DoNotOptimize(orgs.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * json.size());
    QLocale::setDefault(QLocale::c());
}

void decodeOnly(benchmark::State &state)
{
    const QByteArray json = makeOrgListJson(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QList<CLIOrg> orgs = OrgList::decode(json);
        benchmark::DoNotOptimize(orgs.data());
    }
}

// With a real collation (en_US), the usual case for users; the C locale takes a cheaper path.
void sortOnly(benchmark::State &state)
{
    QLocale::setDefault(QLocale(state.range(1) ? QStringLiteral("en_US") : QStringLiteral("C")));
    const QList<CLIOrg> decoded = OrgList::decode(makeOrgListJson(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        QList<CLIOrg> orgs = decoded;
        OrgList::sortForDisplay(orgs);
        benchmark::DoNotOptimize(orgs.data());
    }
    QLocale::setDefault(QLocale::c());
}

// The alias table a reload reads beside the list, and a name for every org from it.
void aliasTable(benchmark::State &state)
{
    const QList<CLIOrg> orgs = OrgList::decode(makeOrgListJson(static_cast<int>(state.range(0))));
    QByteArrayList pairs;
    for (const CLIOrg &org : orgs) {
        if (org.alias)
            pairs << "{\"alias\":\"" + org.alias->toUtf8() + "\",\"value\":\"" + org.username.toUtf8() + "\"}";
    }
    const QByteArray json = "{\"status\":0,\"result\":[" + pairs.join(',') + "]}";
    for (auto _ : state) {
        const std::optional<AliasTable> table = AliasTable::decode(json);
        qsizetype named = 0;
        for (const CLIOrg &org : orgs)
            named += table->nameFor(org).has_value();
        benchmark::DoNotOptimize(named);
    }
}

} // namespace

BENCHMARK(aliasTable)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeAndSort)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeOnly)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(sortOnly)->Args({10'000, 0})->Args({10'000, 1})->Args({100'000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
