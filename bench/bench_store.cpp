// store_channel: filling an empty table with new numbered channels, and giving existing channels
// another item ID.
#include <benchmark/benchmark.h>

#include "bench_support.h"

namespace tagcfg::bench {
namespace {

// Per channel time, shown in seconds with an SI prefix ("35n" is 35 ns).
benchmark::Counter per_channel(int64_t channels_per_iteration) {
    return benchmark::Counter(static_cast<double>(channels_per_iteration),
                              benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_StoreNewChannels(benchmark::State &state) {
    const auto count = static_cast<int32_t>(state.range(0));
    std::vector<ChannelValue> values(static_cast<size_t>(count));
    for (int32_t n = 0; n < count; ++n) {
        values[static_cast<size_t>(n)].channel_id = n;
        values[static_cast<size_t>(n)].item_id = pump_item_id(n);
    }
    for (auto _ : state) {
        state.PauseTiming();
        RecordRef<ServerConfig> config(new ServerConfig);
        state.ResumeTiming();
        for (const ChannelValue &value : values) store_channel(*config, value);
        state.PauseTiming();
        if (config->channel_count() != values.size()) state.SkipWithError("a new channel was not added");
        config.reset();  // freeing the table is not part of filling it
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["per_channel"] = per_channel(count);
}

void BM_StoreReplaceItemId(benchmark::State &state) {
    const auto count = static_cast<int32_t>(state.range(0));
    RecordRef<ServerConfig> config = numbered_table(count);
    // Two item IDs of the same length per channel, so each store really changes the channel and
    // the measured work is the lookup and the copy, not the allocator.
    std::vector<ChannelValue> values[2];
    for (int round = 0; round < 2; ++round)
        for (int32_t n : shuffled_numbers(count)) {
            ChannelValue value;
            value.channel_id = n;
            value.item_id = pump_item_id(n) + (round ? "x" : "y");
            values[round].push_back(std::move(value));
        }
    // One pass ahead so that every item ID already has room for either text.
    for (const ChannelValue &value : values[1]) store_channel(*config, value);
    size_t i = 0;
    int round = 0;
    for (auto _ : state) {
        store_channel(*config, values[round][i]);
        if (++i == values[round].size()) i = 0, round ^= 1;
    }
    if (config->channel_count() != static_cast<size_t>(count)) state.SkipWithError("a replacement added a channel");
    state.SetItemsProcessed(state.iterations());
}

// Both store benchmarks at the same sizes, five times each, reporting the aggregates.
void at_store_sizes(benchmark::internal::Benchmark *b) {
    b->ArgName("channels")->Arg(1000)->Arg(100000)->Arg(1000000)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_StoreNewChannels)->Apply(at_store_sizes);
BENCHMARK(BM_StoreReplaceItemId)->Apply(at_store_sizes);

}  // namespace
}  // namespace tagcfg::bench
