// The item selection dialog's ">>" on a branch of many leaves: the whole subtree walked on the
// (in-memory) server, one item ID lookup and one duplicate test per leaf, one row each. Opening
// the dialog and closing it are outside the timing. BM_CollectBranch is the same walk with no
// dialog, so the difference between the two is what the dialog itself adds.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_support.h"
#include "dialogs/item_selection_dialog.h"
#include "model/server_config.h"
#include "opc/browse_view.h"
#include "opc/headless_browse.h"
#include "memory_dialog.h"
#include "platform/sim/sim_platform.h"
#include "resource_ids.h"

namespace tagcfg::bench {
namespace {

namespace sim = platform::sim;

const platform::Guid kClsid = {0x66666666, 0x6666, 0x6666, {6, 6, 6, 6, 6, 6, 6, 6}};

bool register_branch(benchmark::State &state, int64_t leaves) {
    sim::reset();
    if (sim::register_server("Sim.Bench.1", kClsid, "namespace hierarchical\ngenerate 1 " + std::to_string(leaves)))
        return true;
    state.SkipWithError("the address space was not understood");
    return false;
}

// Range 0: leaves in the one branch. Range 1: 1 when the branch is added a second time, so that
// every leaf is already listed and only the duplicate test runs.
void BM_AddBranch(benchmark::State &state) {
    const auto leaves = state.range(0);
    const bool again = state.range(1) != 0;
    if (!register_branch(state, leaves)) return;
    RecordRef<ServerConfig> server(new ServerConfig);
    server->progid = "Sim.Bench.1";
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> items;
        ItemSelectionDialog dialog(*server, items);
        ui::MemoryDialogHost().run(dialog, [&](ui::MemoryDialog &d) {
            ui::MemoryTree &tree = d.memory_tree(IDC_BROWSE_TREE);
            tree.select(tree.first_child(tree.top_level().front()));
            if (again) d.click(IDC_ADD_ITEMS);
            state.ResumeTiming();
            d.click(IDC_ADD_ITEMS);
            state.PauseTiming();
            if (d.memory_list(IDC_SELECTED_ITEMS).count() != leaves) state.SkipWithError("leaves are missing");
            d.click(ui::kIdCancel);
        });
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * leaves);
    server.reset();
    sim::reset();
}

void BM_CollectBranch(benchmark::State &state) {
    const auto leaves = state.range(0);
    if (!register_branch(state, leaves)) return;
    RecordRef<ServerConfig> server(new ServerConfig);
    server->progid = "Sim.Bench.1";
    {
        HeadlessBrowse browse(*server);
        browse.tree().expand(browse.root());
        ui::TreeNode branch = browse.tree().first_child(browse.root());
        for (auto _ : state) {
            int64_t collected = 0;
            browse.view().collect_item_ids(branch, [&](const std::string &) { ++collected; });
            if (collected != leaves) state.SkipWithError("leaves are missing");
        }
    }
    state.SetItemsProcessed(state.iterations() * leaves);
    server.reset();
    sim::reset();
}

BENCHMARK(BM_CollectBranch)->Arg(10000)->Arg(100000)->ArgName("leaves")->Apply(three_wall_clock_runs);

BENCHMARK(BM_AddBranch)
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->ArgNames({"leaves", "again"})
    ->Apply(three_wall_clock_runs);

}  // namespace
}  // namespace tagcfg::bench
