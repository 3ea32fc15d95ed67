// collect_item_ids over a stand-in server of 100 000 leaves in 1 000 branches: the walk the item
// selection dialog makes when a user adds the server's root. Reports items per second and how
// many browse calls the walk needs per item.
#include <benchmark/benchmark.h>

#include "model/counted_record.h"
#include "opc/browse_view.h"
#include "opc/connect.h"
#include "platform/memory/memory_tree.h"
#include "platform/sim/sim_platform.h"

namespace tagcfg::bench {
namespace {

void BM_CollectItemIds(benchmark::State &state) {
    namespace sim = platform::sim;
    const platform::Guid clsid = {0x55555555, 0x5555, 0x5555, {5, 5, 5, 5, 5, 5, 5, 5}};
    sim::reset();
    if (!sim::register_server("Bench.Large.1", clsid, "generate 1000 100\n")) state.SkipWithError("bad space");
    RecordRef<ServerConfig> server(new ServerConfig);
    server->progid = "Bench.Large.1";
    ui::MemoryTree tree;
    BrowseView view(tree);
    view.insert_root_node(*server);
    view.open(*server, connect_server(*server));

    size_t items = 0;
    const auto &calls = sim::opc_calls();
    const int before = calls.change_position + calls.browse_item_ids + calls.get_item_id + calls.enumerator_next;
    for (auto _ : state) {
        view.collect_item_ids(view.root_node(), [&](const std::string &id) { items += !id.empty(); });
    }
    const int browse_calls =
        calls.change_position + calls.browse_item_ids + calls.get_item_id + calls.enumerator_next - before;
    state.SetItemsProcessed(static_cast<int64_t>(items));
    state.counters["calls_per_item"] = items ? static_cast<double>(browse_calls) / static_cast<double>(items) : 0;
    server.reset();
    sim::reset();
}

BENCHMARK(BM_CollectItemIds)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tagcfg::bench
