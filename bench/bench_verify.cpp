// verify over every channel of one server: 10,000 channels bound to the leaves of 100 branches of
// an in-memory server, each asked of the server (ValidateItems, a thousand a call) or found by the
// channel setup dialog's walk along its item ID. The counters say how often the server was asked
// per channel: walking, the branches' names once per verify, the position and the item ID once or
// a few times per channel.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "discovery.h"
#include "model/channel_table.h"
#include "model/environment.h"
#include "opc/headless_browse.h"
#include "platform/sim/sim_platform.h"

namespace tagcfg::bench {
namespace {

namespace sim = platform::sim;

const platform::Guid kClsid = {0x77777777, 0x7777, 0x7777, {7, 7, 7, 7, 7, 7, 7, 7}};

// Every item ID of the server, as a collect delivers them.
std::vector<std::string> item_ids(ServerConfig &server) {
    HeadlessBrowse browse(server);
    std::vector<std::string> ids;
    browse.view().collect_item_ids(browse.root(), [&](const std::string &id) { ids.push_back(id); });
    disconnect_server(server);
    return ids;
}

// Range 0: branches; range 1: leaves in each; range 2: 1 to walk, 0 to ask the server.
void BM_VerifyOneServer(benchmark::State &state) {
    sim::reset();
    const std::string space = "namespace hierarchical\ngenerate " + std::to_string(state.range(0)) + " " +
                              std::to_string(state.range(1)) + "\n";
    if (!sim::register_server("Sim.Bench.1", kClsid, space)) return state.SkipWithError("the space was not understood");
    Environment env;
    env.servers.emplace_back(new ServerConfig);
    ServerConfig &server = *env.servers.back();
    server.progid = "Sim.Bench.1";
    const std::vector<std::string> ids = item_ids(server);
    for (size_t n = 0; n < ids.size(); ++n) store_channel(server, {static_cast<int32_t>(n), "", ids[n], ""});

    cli::VerifyOptions options;
    options.browse = state.range(2) != 0;
    const sim::OpcCalls before = sim::opc_calls();
    for (auto _ : state) {
        std::ostringstream missing;
        const cli::VerifyTotals totals = cli::verify_bindings(env, options, missing);
        if (totals.channels != ids.size() || totals.missing != 0) state.SkipWithError("channels were not found");
        disconnect_server(server);
    }
    const double channels = static_cast<double>(state.iterations() * ids.size());
    const sim::OpcCalls &after = sim::opc_calls();
    state.counters["browse_calls_per_channel"] = (after.browse_item_ids - before.browse_item_ids) / channels;
    state.counters["position_calls_per_channel"] = (after.change_position - before.change_position) / channels;
    state.counters["item_id_calls_per_channel"] = (after.get_item_id - before.get_item_id) / channels;
    state.counters["item_calls_per_channel"] = (after.item_calls - before.item_calls) / channels;
    state.SetItemsProcessed(static_cast<int64_t>(channels));
    env.servers.clear();
    sim::reset();
}

BENCHMARK(BM_VerifyOneServer)
    ->Args({100, 100, 1})
    ->Args({100, 100, 0})
    ->ArgNames({"branches", "leaves", "walk"})
    ->Apply(three_wall_clock_runs);

}  // namespace
}  // namespace tagcfg::bench
