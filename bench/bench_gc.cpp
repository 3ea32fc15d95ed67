// One clean-up cycle over 100 k channels: clear every mark, mark half of the channels (by number,
// in a pseudo-random order, as a host walks its own channel list), sweep the other half.
#include <benchmark/benchmark.h>

#include "bench_support.h"

namespace tagcfg::bench {
namespace {

// Channels with both a number and a name, so the sweep has entries to remove from both indexes.
void append_channels(ServerConfig &config, int32_t first, int32_t count, int32_t stride) {
    ChannelValue value;
    for (int32_t n = first; n < count; n += stride) {
        value.channel_id = n;
        value.channel_name = pump_name(n);
        value.item_id = pump_item_id(n);
        append_channel(config, value);
    }
}

void BM_CleanUpCycle(benchmark::State &state) {
    const auto count = static_cast<int32_t>(state.range(0));
    RecordRef<ServerConfig> config(new ServerConfig);
    append_channels(*config, 0, count, 1);
    rebuild_indexes(*config);

    std::vector<int32_t> in_use;
    std::vector<std::string> in_use_names;
    for (int32_t n : shuffled_numbers(count))
        if (n % 2 == 0) {
            in_use.push_back(n);
            in_use_names.push_back(pump_name(n));
        }

    for (auto _ : state) {
        clear_marks(*config);
        for (size_t i = 0; i < in_use.size(); ++i) mark_channel(*config, in_use[i], in_use_names[i].c_str());
        sweep_unmarked(*config);

        state.PauseTiming();
        if (config->channel_count() != in_use.size()) state.SkipWithError("the sweep kept the wrong channels");
        append_channels(*config, 1, count, 2);  // bring the swept half back for the next cycle
        rebuild_indexes(*config);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["per_channel"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_CleanUpCycle)
    ->ArgName("channels")
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tagcfg::bench
