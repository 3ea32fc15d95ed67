#include <gtest/gtest.h>

#include "opc/browse_view.h"
#include "opc/connect.h"
#include "platform/memory/memory_tree.h"
#include "platform/sim/sim_platform.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;

namespace {

const platform::Guid kClsid = {0x33333333, 0x3333, 0x3333, {3, 3, 3, 3, 3, 3, 3, 3}};

const char kPlant[] = R"(
namespace hierarchical
leaf Top
branch A
  leaf C1
  branch B
    leaf C
  leaf C2
branch AB
  leaf Z
branch Refused refuse-down
  leaf Hidden
branch Empty
)";

// A browsing dialog's pieces: a connected server, its tree and its browse view.
class BrowseTest : public ::testing::Test {
protected:
    void open(const std::string &space) {
        ASSERT_TRUE(sim::register_server("Sim.Browse.1", kClsid, space));
        server->progid = "Sim.Browse.1";
        server->description = "Plant server";
        tree.on_expanding = [this](ui::TreeNode node) { view.on_expanding(node); };
        bool connected = connect_server(*server);
        root = view.insert_root_node(*server);
        view.open(*server, connected);
    }
    void TearDown() override {
        server.reset();
        EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
        EXPECT_EQ(sim::opc_calls().live_task_strings, 0);
        sim::reset();
    }
    std::vector<std::string> children(ui::TreeNode node) {
        std::vector<std::string> texts;
        for (ui::TreeNode c = tree.first_child(node); c; c = tree.next_sibling(c)) texts.push_back(tree.text(c));
        return texts;
    }
    ui::TreeNode child(ui::TreeNode node, const std::string &text) {
        for (ui::TreeNode c = tree.first_child(node); c; c = tree.next_sibling(c))
            if (tree.text(c) == text) return c;
        return nullptr;
    }
    std::string selected() { return tree.selection() ? tree.path(tree.selection()) : ""; }
    std::vector<std::string> collect(ui::TreeNode branch = nullptr) {
        std::vector<std::string> ids;
        view.collect_item_ids(branch, [&](const std::string &id) { ids.push_back(id); });
        return ids;
    }

    RecordRef<ServerConfig> server = test::make_server();
    ui::MemoryTree tree;
    BrowseView view{tree};
    ui::TreeNode root = nullptr;
};

}  // namespace

TEST(MatchNodeName, NameMustEndAtTheTextEndOrASeparator) {
    EXPECT_EQ(match_node_name("A.X", 0, "A", false), 1u);
    EXPECT_EQ(match_node_name("A.X", 0, "AB", false), std::string::npos);
    EXPECT_EQ(match_node_name("AB.X", 0, "A", false), std::string::npos);
    EXPECT_EQ(match_node_name("A", 0, "A", false), 1u);
    EXPECT_EQ(match_node_name(".A.B", 0, "A", false), std::string::npos);  // top level: no skipping
    EXPECT_EQ(match_node_name("A/:\\.B", 1, "B", true), 6u);
    EXPECT_EQ(match_node_name("A.B", 1, "b", true), std::string::npos);
    EXPECT_EQ(match_node_name("A.Bx", 1, "B", true), std::string::npos);
}

TEST_F(BrowseTest, RootIsLabelledAndFilledOnceWithBranchesBeforeLeaves) {
    open(kPlant);
    EXPECT_EQ(tree.text(root), "Plant server");
    EXPECT_TRUE(tree.enabled());
    EXPECT_EQ(view.namespace_type(), 1);
    tree.expand(root);
    EXPECT_EQ(children(root), (std::vector<std::string>{"A", "AB", "Refused", "Empty", "Top"}));
    EXPECT_EQ(tree.node(child(root, "A")).image, kBranchImage);
    EXPECT_EQ(tree.node(child(root, "Top")).image, kLeafImage);
    EXPECT_EQ(tree.node(child(root, "Top")).child_count, 0);
    int calls = sim::opc_calls().browse_item_ids;
    tree.click_expand_button(root);  // collapse
    tree.click_expand_button(root);  // and open again
    EXPECT_EQ(sim::opc_calls().browse_item_ids, calls);
    EXPECT_EQ(children(root).size(), 5u);
}

TEST_F(BrowseTest, NodesWithoutChildrenLoseTheirExpandButton) {
    open(kPlant);
    tree.expand(root);
    ui::TreeNode empty = child(root, "Empty"), refused = child(root, "Refused");
    tree.click_expand_button(empty);
    EXPECT_EQ(tree.node(empty).child_count, 0);
    tree.click_expand_button(refused);  // cannot be entered: nothing inserted
    EXPECT_EQ(tree.node(refused).child_count, 0);
    EXPECT_TRUE(children(refused).empty());
}

TEST_F(BrowseTest, ItemIdsComeFromTheServerAtTheNodesPosition) {
    open(kPlant);
    view.locate_item_id("A.B.C", root, false);
    ASSERT_EQ(selected(), "Plant server/A/B/C");
    EXPECT_EQ(tree.made_visible(), tree.selection());
    std::string id;
    ASSERT_TRUE(view.item_id_of_node(tree.selection(), id));
    EXPECT_EQ(id, "A.B.C");
    ASSERT_TRUE(view.item_id_of_node(child(root, "Top"), id));
    EXPECT_EQ(id, "Top");
}

TEST_F(BrowseTest, LocatingAcceptsEverySeparatorAndRunsOfThemBelowTheTop) {
    open(kPlant);
    for (const char *text : {"A/B/C", "A:B\\C", "A..B//C"}) {
        tree.select(nullptr);
        view.locate_item_id(text, root, false);
        EXPECT_EQ(selected(), "Plant server/A/B/C") << text;
    }
}

TEST_F(BrowseTest, LocatingStopsAtTheFirstMismatch) {
    open(kPlant);
    view.locate_item_id(".A.B", root, false);
    EXPECT_EQ(tree.selection(), nullptr);
    view.locate_item_id("a.b.c", root, false);
    EXPECT_EQ(tree.selection(), nullptr);
    view.locate_item_id("A.X", root, false);  // "A" matches, not "AB"; nothing named X below it
    EXPECT_EQ(tree.selection(), nullptr);
    EXPECT_TRUE(tree.node(child(root, "A")).expanded);
    EXPECT_FALSE(tree.node(child(root, "AB")).expanded_once);
}

TEST_F(BrowseTest, FlatSpaceListsLeavesAndNeverMovesThePosition) {
    open("namespace flat\nleaf A\nleaf A.B\nleaf C\n");
    EXPECT_EQ(view.namespace_type(), 2);
    tree.expand(root);
    EXPECT_EQ(children(root), (std::vector<std::string>{"A", "A.B", "C"}));
    std::string id;
    ASSERT_TRUE(view.item_id_of_node(child(root, "C"), id));
    EXPECT_EQ(id, "C");
    EXPECT_EQ(sim::opc_calls().change_position, 0);
    view.locate_item_id("A.B", root, false);  // "A" is taken first, and is a leaf
    EXPECT_EQ(tree.selection(), nullptr);
    EXPECT_EQ(collect(), (std::vector<std::string>{"A", "A.B", "C"}));
}

TEST_F(BrowseTest, CollectGoesDepthFirstAndSkipsRefusedBranches) {
    open(kPlant);
    EXPECT_EQ(collect(root), (std::vector<std::string>{"A.B.C", "A.C1", "A.C2", "AB.Z", "Top"}));
    tree.expand(root);
    EXPECT_EQ(collect(child(root, "A")), (std::vector<std::string>{"A.B.C", "A.C1", "A.C2"}));
}

TEST_F(BrowseTest, BadItemIdAnswersLeaveNothing) {
    open("leaf Fails get-item-id-fails\nleaf Blank empty-item-id\n");
    tree.expand(root);
    std::string id = "stale";
    EXPECT_FALSE(view.item_id_of_node(child(root, "Fails"), id));
    EXPECT_EQ(id, "");
    EXPECT_FALSE(view.item_id_of_node(child(root, "Blank"), id));
    EXPECT_TRUE(collect(root).empty());
}

TEST_F(BrowseTest, ServerWithoutBrowsingDisablesTheTree) {
    open("fault no-browse\nleaf A\n");
    EXPECT_FALSE(tree.enabled());
    EXPECT_FALSE(view.can_browse());
    EXPECT_EQ(tree.text(root), "Plant server");
    EXPECT_EQ(view.fill_node(root), 0);
    std::string id;
    EXPECT_FALSE(view.item_id_of_node(root, id));
}

TEST_F(BrowseTest, UnconnectedServerStillGetsItsRootNode) {
    server->progid = "Sim.Missing.1";
    tree.on_expanding = [this](ui::TreeNode node) { view.on_expanding(node); };
    root = view.insert_root_node(*server);
    view.open(*server, connect_server(*server));
    EXPECT_EQ(tree.text(root), "Sim.Missing.1");
    EXPECT_FALSE(tree.enabled());
}

TEST_F(BrowseTest, MisbehavingServersCannotHangOrCrashTheBrowser) {
    open("fault up-forever\nfault null-name\nbranch A\n  leaf B\n");
    EXPECT_TRUE(view.move_to_node(root));  // gives up asking after a bounded number of calls
    EXPECT_LT(sim::opc_calls().change_position, 2000);
    EXPECT_EQ(view.fill_node(root), 0);  // a null name ends the enumeration
    EXPECT_TRUE(collect().empty());
}
