#include "dialog_fixture.h"

using namespace tagcfg;
using namespace tagcfg::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(BrowseTest, TheRootIsFilledOnceWithBranchesBeforeLeaves) {
    open(kPlant);
    EXPECT_EQ(tree.text(root), "Plant");
    EXPECT_TRUE(tree.enabled());
    EXPECT_THAT(children(tree, root), ElementsAre("Boiler", "BoilerRoom", "Empty", "Refused", "Alarm", "Odd", "Blank",
                                                  "Upper", "Lower", "Long"));
    EXPECT_EQ(tree.image(find_node(tree, "Plant/Boiler")), kBranchImage);
    EXPECT_EQ(tree.image(find_node(tree, "Plant/Alarm")), kLeafImage);
    EXPECT_EQ(tree.child_count(find_node(tree, "Plant/Alarm")), 0);
    int calls = sim::opc_calls().browse_item_ids;
    tree.click_expand_button(root);  // closed
    tree.click_expand_button(root);  // and open again
    EXPECT_EQ(sim::opc_calls().browse_item_ids, calls);
    // Nodes with nothing below them, or that cannot be entered, lose their expand button.
    for (const char *path : {"Plant/Empty", "Plant/Refused"}) {
        EXPECT_THAT(children(tree, find_node(tree, path)), IsEmpty()) << path;
        EXPECT_EQ(tree.child_count(find_node(tree, path)), 0) << path;
    }
}

// Opening the tree along an item ID selects the node it names, whose item ID the server gives.
TEST_F(BrowseTest, LocatingTakesEverySeparatorBelowTheTopAndStopsAtTheFirstMismatch) {
    open(kPlant);
    const std::tuple<const char *, const char *, const char *> cases[] = {
        {"Boiler.Pumps.P1", "Plant/Boiler/Pumps/P1", "Boiler.Pumps.P1"},
        {"Boiler/Pumps:P1", "Plant/Boiler/Pumps/P1", "Boiler.Pumps.P1"},
        {"Boiler\\..Pumps//P1", "Plant/Boiler/Pumps/P1", "Boiler.Pumps.P1"},
        {"BoilerRoom.Fan", "Plant/BoilerRoom/Fan", "BoilerRoom.Fan"},
        {"Upper", "Plant/Upper", "Plant.PUMP"},
        {"Odd", "Plant/Odd", ""},  // the server fails to answer
        {"Blank", "Plant/Blank", ""},
        {".Boiler.Temp1", "", ""},
        {"boiler.temp1", "", ""},
        {"Boiler.Temp1.X", "", ""},
    };
    for (const auto &[text, path, item_id] : cases) {
        tree.select(nullptr);
        view.locate_item_id(text, root, false);
        EXPECT_EQ(selected_path(tree), path) << text;
        std::string id;
        if (tree.selection()) {
            EXPECT_EQ(tree.made_visible(), tree.selection()) << text;
            EXPECT_EQ(view.item_id_of_node(tree.selection(), id), *item_id != 0) << text;
        }
        EXPECT_EQ(id, item_id) << text;
    }
}

TEST_F(BrowseTest, CollectGoesDepthFirstAndSkipsWhatHasNoItemId) {
    open(kPlant);
    EXPECT_THAT(collect(root), ElementsAre("Boiler.Pumps.P1", "Boiler.Pumps.P2", "Boiler.Temp1", "Boiler.Temp2",
                                           "BoilerRoom.Fan", "Alarm", "Plant.PUMP", "plant.pump", kLongId));
    CollectEnd end;
    EXPECT_THAT(collect(find_node(tree, "Plant/Refused"), &end), IsEmpty());
    EXPECT_EQ(end, CollectEnd::unreachable);
}

TEST_F(BrowseTest, AFlatSpaceListsItsLeavesAndNeverMovesThePosition) {
    open("namespace flat\nleaf A\nleaf A.B\nleaf C\n");
    EXPECT_THAT(children(tree, root), ElementsAre("A", "A.B", "C"));
    std::string id;
    EXPECT_TRUE(view.item_id_of_node(find_node(tree, "Plant/C"), id));
    EXPECT_EQ(id, "C");
    view.locate_item_id("A.B", root, false);  // "A" is taken first, and is a leaf
    EXPECT_EQ(tree.selection(), nullptr);
    EXPECT_THAT(collect(nullptr), ElementsAre("A", "A.B", "C"));
    EXPECT_EQ(sim::opc_calls().change_position, 0);
}

// The calls a server sees, in order, for the two walks that go deep: collecting a branch (">>" in
// the item selection dialog) and opening the tree along an item ID (the channel setup dialog).
// Servers in the field rely on this order; it must not drift.
TEST_F(BrowseTest, TheDeepWalksCallTheServerInAFixedOrder) {
    open(kPlant);
    tree.expand(root);
    sim::opc_calls().logging = true;
    collect(find_node(tree, "Plant/Boiler"));
    // One step of the walk per line:
    // clang-format off
    EXPECT_THAT(sim::opc_calls().log, ElementsAre(
        "up", "down Boiler",  // positioning: the top first, then down the node's path
        "browse branch",
        "next Pumps", "down Pumps", "browse branch", "next end", "browse leaf",
        "next P1", "item P1", "next P2", "item P2", "next end", "up",
        "next Locked", "down Locked",  // refused: skipped without going up
        "next Quiet", "down Quiet", "browse branch", "next end", "browse leaf", "next end", "up",
        "next end",
        "browse leaf", "next Temp1", "item Temp1", "next Temp2", "item Temp2", "next end"));
    // clang-format on

    tree.clear();
    root = view.insert_root_node(*server);
    sim::opc_calls().log.clear();
    view.locate_item_id("Boiler.Pumps.P2", root, false);
    EXPECT_EQ(selected_path(tree), "Plant/Boiler/Pumps/P2");
    // One level of the tree per line:
    // clang-format off
    EXPECT_THAT(sim::opc_calls().log, ElementsAre(
        "up", "up",  // from Boiler, where the collect left the server, then at the top
        "browse branch", "next Boiler", "next BoilerRoom", "next Empty", "next Refused", "next end",
        "browse leaf", "next Alarm", "next Odd", "next Blank", "next Upper", "next Lower", "next Long", "next end",
        "up", "down Boiler", "browse branch", "next Pumps", "next Locked", "next Quiet", "next end",
        "browse leaf", "next Temp1", "next Temp2", "next end",
        "up", "up",  // from Boiler, then at the top
        "down Boiler", "down Pumps", "browse branch", "next end", "browse leaf", "next P1", "next P2", "next end"));
    // clang-format on
}
