// Building blocks shared by the benchmarks: channel tables of a given size and a fixed
// pseudo-random visiting order, so every run measures the same work.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "model/channel_table.h"
#include "model/server_config.h"

namespace tagcfg::bench {

// Wall-clock milliseconds, three repetitions, aggregates only: for cases long enough that more
// repetitions would only add minutes.
inline void three_wall_clock_runs(benchmark::internal::Benchmark *b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
}

inline std::string pump_name(int32_t n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "Pump%07d", static_cast<int>(n));
    return buffer;
}

inline std::string short_name(int32_t n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "P%07d", static_cast<int>(n));
    return buffer;
}

inline std::string pump_item_id(int32_t n) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "Plant.Line%02d.Pump%07d.PV", static_cast<int>(n % 64), static_cast<int>(n));
    return buffer;
}

// 0 .. count-1 in an order that defeats the prefetcher but is the same on every run.
inline std::vector<int32_t> shuffled_numbers(int32_t count) {
    std::vector<int32_t> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(20240611u));
    return order;
}

// Channels 0 .. count-1, each known by its number only, as a host adds them.
inline RecordRef<ServerConfig> numbered_table(int32_t count) {
    RecordRef<ServerConfig> config(new ServerConfig);
    ChannelValue value;
    for (int32_t n = 0; n < count; ++n) {
        value.channel_id = n;
        value.item_id = pump_item_id(n);
        store_channel(*config, value);
    }
    return config;
}

// Channels "Pump0000000" .. , each known by its name only, as a file without numbers reads in.
inline RecordRef<ServerConfig> named_table(int32_t count, std::string (*name_of)(int32_t)) {
    RecordRef<ServerConfig> config(new ServerConfig);
    ChannelValue value;
    for (int32_t n = 0; n < count; ++n) {
        value.channel_name = name_of(n);
        value.item_id = pump_item_id(n);
        append_channel(*config, value);
    }
    rebuild_indexes(*config);
    return config;
}

inline RecordRef<ServerConfig> named_table(int32_t count) { return named_table(count, pump_name); }
inline RecordRef<ServerConfig> short_named_table(int32_t count) { return named_table(count, short_name); }

}  // namespace tagcfg::bench
