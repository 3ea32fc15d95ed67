// The browse calls a well-behaved server sees, in order, for the two walks that go deep: ">>" on
// a branch of the item selection dialog, and the channel setup dialog opening its tree along the
// channel's item ID. Servers in the field rely on this order; it must not drift.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/channel_setup_dialog.h"
#include "dialogs/item_selection_dialog.h"
#include "memory_dialog.h"
#include "platform/sim/sim_platform.h"
#include "resource_ids.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;
using Log = std::vector<std::string>;

namespace {

const platform::Guid kClsid = {0x66666666, 0x6666, 0x6666, {6, 6, 6, 6, 6, 6, 6, 6}};

const char kPlant[] = R"(
namespace hierarchical
leaf Alarm
branch Boiler
  leaf Temp1
  branch Pumps
    leaf P1
    leaf P2
  branch Locked refuse-down
    leaf Secret
  leaf Temp2
  branch Quiet
leaf Odd get-item-id-fails
)";

class BrowseCallOrder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim::register_server("Sim.Order.1", kClsid, kPlant));
        server->progid = "Sim.Order.1";
        sim::opc_calls().logging = true;
    }
    void TearDown() override {
        server.reset();
        sim::reset();
    }
    RecordRef<ServerConfig> server = test::make_server();
};

ui::TreeNode child(ui::Tree &tree, ui::TreeNode parent, const std::string &text) {
    for (ui::TreeNode c = tree.first_child(parent); c; c = tree.next_sibling(c))
        if (tree.text(c) == text) return c;
    return nullptr;
}

}  // namespace

TEST_F(BrowseCallOrder, AddingABranchWalksItDepthFirst) {
    std::vector<std::string> items;
    ItemSelectionDialog dialog(*server, items);
    Log seen;
    ui::MemoryDialogHost().run(dialog, [&](ui::MemoryDialog &d) {
        ui::MemoryTree &tree = d.memory_tree(IDC_BROWSE_TREE);
        tree.select(child(tree, tree.top_level().front(), "Boiler"));
        sim::opc_calls().log.clear();
        d.click(IDC_ADD_ITEMS);
        seen = sim::opc_calls().log;
        d.click(ui::kIdOk);
    });
    // One step of the walk per line:
    // clang-format off
    const Log expected = {
        "up", "down Boiler",  // positioning: the top first, then down the node's path
        "browse branch",
        "next Pumps", "down Pumps", "browse branch", "next end", "browse leaf",
        "next P1", "item P1", "next P2", "item P2", "next end", "up",
        "next Locked", "down Locked",  // refused: skipped without going up
        "next Quiet", "down Quiet", "browse branch", "next end", "browse leaf", "next end", "up",
        "next end",
        "browse leaf", "next Temp1", "item Temp1", "next Temp2", "item Temp2", "next end",
    };
    // clang-format on
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(items, (std::vector<std::string>{"Boiler.Pumps.P1", "Boiler.Pumps.P2", "Boiler.Temp1", "Boiler.Temp2"}));
}

TEST_F(BrowseCallOrder, OpeningTheTreeAlongAnItemIdFillsEachLevelOnItsPath) {
    test::add_parsed(*server, 7, "", "Boiler.Pumps.P2");
    rebuild_indexes(*server);
    ChannelSetupDialog dialog(0, *server, 7, "");
    std::string selected;
    ui::MemoryDialogHost().run(dialog, [&](ui::MemoryDialog &d) {
        ui::MemoryTree &tree = d.memory_tree(IDC_BROWSE_TREE);
        if (tree.selection()) selected = tree.path(tree.selection());
        d.click(ui::kIdCancel);
    });
    // One level of the tree per line:
    // clang-format off
    const Log expected = {
        "organization",
        "up", "browse branch", "next Boiler", "next end", "browse leaf", "next Alarm", "next Odd", "next end",
        "up", "down Boiler", "browse branch", "next Pumps", "next Locked", "next Quiet", "next end",
        "browse leaf", "next Temp1", "next Temp2", "next end",
        "up", "up",  // from Boiler, then at the top
        "down Boiler", "down Pumps", "browse branch", "next end", "browse leaf", "next P1", "next P2", "next end",
    };
    // clang-format on
    EXPECT_EQ(sim::opc_calls().log, expected);
    EXPECT_EQ(selected, "Sim.Order.1/Boiler/Pumps/P2");
}
