// lookup_channel by number and by name, over tables of 1 k, 100 k and 1 M channels, visiting
// existing keys in a pseudo-random order so that the caches do not hide the index's cost.
#include <benchmark/benchmark.h>

#include <map>

#include "bench_support.h"

namespace tagcfg::bench {
namespace {

// Tables are built once per size and kept for the whole run: building 1 M channels costs far
// more than measuring lookups in them.
ServerConfig &cached_table(std::map<int32_t, RecordRef<ServerConfig>> &cache, int32_t count,
                           RecordRef<ServerConfig> (*build)(int32_t)) {
    auto &slot = cache[count];
    if (!slot) slot = build(count);
    return *slot;
}

void BM_LookupByNumber(benchmark::State &state) {
    static std::map<int32_t, RecordRef<ServerConfig>> tables;
    const auto count = static_cast<int32_t>(state.range(0));
    ServerConfig &config = cached_table(tables, count, numbered_table);
    const std::vector<int32_t> order = shuffled_numbers(count);
    size_t i = 0;
    for (auto _ : state) {
        const Channel *found = lookup_channel(config, order[i], nullptr);
        benchmark::DoNotOptimize(found);
        if (++i == order.size()) i = 0;
    }
    if (!lookup_channel(config, order[0], nullptr)) state.SkipWithError("a stored number was not found");
    state.SetItemsProcessed(state.iterations());
}

// Name-only channels looked up by name; each table's names come from `name_of`.
void lookup_by_name(benchmark::State &state, std::map<int32_t, RecordRef<ServerConfig>> &tables,
                    RecordRef<ServerConfig> (*build)(int32_t), std::string (*name_of)(int32_t)) {
    const auto count = static_cast<int32_t>(state.range(0));
    ServerConfig &config = cached_table(tables, count, build);
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(count));
    for (int32_t n : shuffled_numbers(count)) names.push_back(name_of(n));
    size_t i = 0;
    for (auto _ : state) {
        // Number -1: a name-only channel is returned as it is, without being bound.
        const Channel *found = lookup_channel(config, -1, names[i].c_str());
        benchmark::DoNotOptimize(found);
        if (++i == names.size()) i = 0;
    }
    if (!lookup_channel(config, -1, names[0].c_str())) state.SkipWithError("a stored name was not found");
    state.SetItemsProcessed(state.iterations());
}

void BM_LookupByName(benchmark::State &state) {
    static std::map<int32_t, RecordRef<ServerConfig>> tables;
    lookup_by_name(state, tables, named_table, pump_name);
}

// Names of 8 bytes ("P0000000"), beside the 11 of "Pump0000000": both fit the name cache whole.
void BM_LookupByShortName(benchmark::State &state) {
    static std::map<int32_t, RecordRef<ServerConfig>> tables;
    lookup_by_name(state, tables, short_named_table, short_name);
}

void table_sizes(benchmark::internal::Benchmark *b) {
    b->ArgName("channels")->Arg(1000)->Arg(100000)->Arg(1000000);
    b->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_LookupByNumber)->Apply(table_sizes);
BENCHMARK(BM_LookupByName)->Apply(table_sizes);
BENCHMARK(BM_LookupByShortName)->Apply(table_sizes);

}  // namespace
}  // namespace tagcfg::bench
