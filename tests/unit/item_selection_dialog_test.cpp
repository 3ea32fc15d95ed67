#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/item_selection_dialog.h"
#include "platform/sim/memory_dialog.h"
#include "platform/sim/sim_platform.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;
using Rows = std::vector<std::string>;

namespace {

const platform::Guid kClsid = {0x55555555, 0x5555, 0x5555, {5, 5, 5, 5, 5, 5, 5, 5}};

// Branches come before leaves under every node, whatever the order here.
const char kPlant[] = R"(
namespace hierarchical
leaf Alarm
branch Boiler
  leaf Temp1
  branch Pumps
    leaf P1
    leaf P2
  leaf Temp2
branch Empty
branch Refused refuse-down
  leaf Hidden
leaf Odd get-item-id-fails
leaf Upper = Plant.PUMP
leaf Lower = plant.pump
)";

const char kFlat[] = "namespace flat\nleaf A\nleaf A.B\nleaf Pump:Speed\n";

class ItemSelectionTest : public ::testing::Test {
protected:
    void TearDown() override {
        server.reset();
        EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
        EXPECT_EQ(sim::opc_calls().live_task_strings, 0);
        sim::reset();
    }
    // Opens the dialog on a server serving the space; returns what the dialog ended with.
    int open(const std::string &space, const std::function<void(ui::MemoryDialog &)> &user) {
        EXPECT_TRUE(sim::register_server("Sim.Items.1", kClsid, space));
        server->progid = "Sim.Items.1";
        return open_registered(user);
    }
    int open_registered(const std::function<void(ui::MemoryDialog &)> &user) {
        server->description = "Plant";
        ItemSelectionDialog dialog(*server, items);
        return ui::MemoryDialogHost().run(dialog, user);
    }

    static ui::MemoryTree &tree(ui::MemoryDialog &d) { return d.memory_tree(IDC_BROWSE_TREE); }
    static ui::MemoryList &list(ui::MemoryDialog &d) { return d.memory_list(IDC_SELECTED_ITEMS); }
    // The node at a path of texts below the root ("" is the root), opening the nodes on the way.
    static ui::TreeNode node(ui::MemoryDialog &d, const std::string &path) {
        ui::TreeNode at = tree(d).top_level().front();
        size_t start = 0;
        while (at && start < path.size()) {
            size_t end = path.find('/', start);
            std::string name = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
            tree(d).expand(at);
            ui::TreeNode c = tree(d).first_child(at);
            while (c && tree(d).text(c) != name) c = tree(d).next_sibling(c);
            at = c;
            start = end == std::string::npos ? path.size() : end + 1;
        }
        EXPECT_TRUE(at) << path;
        return at;
    }
    // The user picks a node and presses ">>".
    static void add(ui::MemoryDialog &d, const std::string &path) {
        tree(d).select(node(d, path));
        d.click(IDC_ADD_ITEMS);
    }
    // Remove, Up and Down, in that order.
    static std::vector<bool> buttons(ui::MemoryDialog &d) {
        return {d.enabled(IDC_REMOVE_ITEM), d.enabled(IDC_MOVE_UP), d.enabled(IDC_MOVE_DOWN)};
    }

    RecordRef<ServerConfig> server = test::make_server();
    std::vector<std::string> items;
};

using Buttons = std::vector<bool>;

}  // namespace

TEST(FoldCase, EqualKeysExactlyForTextsEqualWithoutCase) {
    const std::vector<std::string> texts = {"", "a", "A", "ab", "AB", "aB.c1", "Ab.C1", "ab.c2", "\xe9", "\xc9",
                                            "\x81" "a", "\x81" "A", "x\x81", "X\x81", "[", "{", "@", "`"};
    for (bool double_byte : {false, true}) {
        sim::set_lead_byte_ranges(double_byte ? sim::code_page_932_lead_bytes()
                                              : std::vector<std::pair<unsigned char, unsigned char>>{});
        for (const std::string &a : texts)
            for (const std::string &b : texts)
                EXPECT_EQ(platform::compare_no_case(a.c_str(), b.c_str()) == 0,
                          platform::fold_case(a) == platform::fold_case(b))
                    << "'" << a << "' '" << b << "' double-byte " << double_byte;
    }
    // A trail byte is part of its character, not a letter of its own.
    EXPECT_NE(platform::fold_case("\x81" "a"), platform::fold_case("\x81" "A"));
    sim::reset();
}

TEST_F(ItemSelectionTest, OpensWithTheFirstLevelShownAndNothingToMove) {
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        EXPECT_EQ(list(d).column(), "OPC Item ID");
        EXPECT_TRUE(list(d).shows_shared_images());
        EXPECT_TRUE(tree(d).shows_shared_images());
        EXPECT_TRUE(tree(d).enabled());
        EXPECT_EQ(d.focused(), IDC_BROWSE_TREE);
        EXPECT_TRUE(d.wait_cursor_shown());
        EXPECT_TRUE(d.messages().empty());
        ui::TreeNode root = tree(d).top_level().front();
        EXPECT_EQ(tree(d).text(root), "Plant");
        EXPECT_TRUE(tree(d).node(root).expanded);
        EXPECT_EQ(tree(d).node(root).kids.size(), 7u);
        EXPECT_EQ(list(d).count(), 0);
        EXPECT_EQ(buttons(d), Buttons({false, false, false}));
        EXPECT_TRUE(d.enabled(IDC_ADD_ITEMS));
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_TRUE(items.empty());
}

TEST_F(ItemSelectionTest, EntriesAlreadyInTheListBecomeRowsOnceEach) {
    items = {"Boiler.Temp1", "boiler.TEMP1", "Alarm"};
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Temp1", "Alarm"}));
        EXPECT_EQ(list(d).image(1), 2);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(items, Rows({"Boiler.Temp1", "Alarm"}));
}

TEST_F(ItemSelectionTest, LeavesAreAddedOnceWithoutRegardToCase) {
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        add(d, "Boiler/Temp1");
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Temp1"}));
        EXPECT_EQ(list(d).image(0), 2);
        EXPECT_EQ(list(d).selected(), 0);
        add(d, "Boiler/Temp2");
        add(d, "Upper");
        EXPECT_EQ(list(d).selected(), 2);
        // Already listed: the existing row is selected again, nothing is added.
        add(d, "Boiler/Temp1");
        EXPECT_EQ(list(d).selected(), 0);
        add(d, "Lower");
        EXPECT_EQ(list(d).selected(), 2);
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Temp1", "Boiler.Temp2", "Plant.PUMP"}));
        // A leaf whose item ID the server refuses adds nothing.
        add(d, "Odd");
        EXPECT_EQ(list(d).count(), 3);
        EXPECT_EQ(list(d).selected(), 2);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(items, Rows({"Boiler.Temp1", "Boiler.Temp2", "Plant.PUMP"}));
}

TEST_F(ItemSelectionTest, BranchAddsItsWholeSubtreeAndKeepsListedRowsInPlace) {
    open(kPlant, [&](ui::MemoryDialog &d) {
        add(d, "Boiler/Temp2");
        add(d, "Boiler");
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Temp2", "Boiler.Pumps.P1", "Boiler.Pumps.P2", "Boiler.Temp1"}));
        EXPECT_EQ(list(d).selected(), 3);
        EXPECT_TRUE(list(d).redraw());
        // Again: nothing new, and the last row is selected.
        list(d).select(0);
        add(d, "Boiler");
        EXPECT_EQ(list(d).count(), 4);
        EXPECT_EQ(list(d).selected(), 3);
        // A branch that cannot be entered adds nothing and leaves the selection alone.
        list(d).select(1);
        add(d, "Refused");
        EXPECT_EQ(list(d).count(), 4);
        EXPECT_EQ(list(d).selected(), 1);
        d.click(ui::kIdCancel);
    });
    EXPECT_TRUE(items.empty());
}

TEST_F(ItemSelectionTest, RootAddsEveryItem) {
    open(kPlant, [&](ui::MemoryDialog &d) {
        add(d, "");
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", "Boiler.Pumps.P2", "Boiler.Temp1", "Boiler.Temp2",
                                         "Alarm", "Plant.PUMP"}));
        EXPECT_EQ(list(d).selected(), 5);
        d.click(ui::kIdCancel);
    });
}

TEST_F(ItemSelectionTest, RootOfAFlatSpaceListsEveryItem) {
    int result = open(kFlat, [&](ui::MemoryDialog &d) {
        EXPECT_EQ(tree(d).node(tree(d).top_level().front()).kids.size(), 3u);
        add(d, "");
        EXPECT_EQ(list(d).texts(), Rows({"A", "A.B", "Pump:Speed"}));
        EXPECT_EQ(list(d).selected(), 2);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(items, Rows({"A", "A.B", "Pump:Speed"}));
}

TEST_F(ItemSelectionTest, BranchFoundEmptyIsTakenAsALeaf) {
    open(kPlant, [&](ui::MemoryDialog &d) {
        ui::TreeNode empty = node(d, "Empty");
        tree(d).select(empty);
        d.double_click(IDC_BROWSE_TREE);  // not opened yet: the tree's own business
        d.click(IDC_ADD_ITEMS);           // a branch with nothing below it
        EXPECT_EQ(list(d).count(), 0);
        tree(d).expand(empty);
        EXPECT_EQ(tree(d).node(empty).children, 0);
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list(d).texts(), Rows({"Empty"}));
        d.click(ui::kIdCancel);
    });
}

TEST_F(ItemSelectionTest, DoubleClickAddsLeavesOnly) {
    open(kPlant, [&](ui::MemoryDialog &d) {
        d.double_click(IDC_BROWSE_TREE);  // nothing selected
        tree(d).select(tree(d).top_level().front());
        d.double_click(IDC_BROWSE_TREE);  // the root
        tree(d).select(node(d, "Boiler/Pumps"));
        d.double_click(IDC_BROWSE_TREE);  // a branch
        EXPECT_EQ(list(d).count(), 0);
        tree(d).select(node(d, "Boiler/Pumps/P2"));
        d.double_click(IDC_BROWSE_TREE);
        d.double_click(IDC_BROWSE_TREE);
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P2"}));
        EXPECT_EQ(list(d).selected(), 0);
        d.click(ui::kIdCancel);
    });
}

TEST_F(ItemSelectionTest, UpAndDownMoveTheSelectedRowAndFollowTheButtonRules) {
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        add(d, "Boiler/Pumps");
        add(d, "Alarm");
        ASSERT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", "Boiler.Pumps.P2", "Alarm"}));
        EXPECT_EQ(buttons(d), Buttons({true, true, false}));  // the last row
        d.click(IDC_MOVE_DOWN);                               // disabled: nothing happens
        EXPECT_EQ(list(d).texts()[2], "Alarm");
        d.click(IDC_MOVE_UP);
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", "Alarm", "Boiler.Pumps.P2"}));
        EXPECT_EQ(list(d).selected(), 1);
        EXPECT_EQ(buttons(d), Buttons({true, true, true}));
        d.click(IDC_MOVE_UP);
        EXPECT_EQ(list(d).texts(), Rows({"Alarm", "Boiler.Pumps.P1", "Boiler.Pumps.P2"}));
        EXPECT_EQ(list(d).selected(), 0);
        EXPECT_EQ(buttons(d), Buttons({true, false, true}));  // the first row
        d.click(IDC_MOVE_UP);
        EXPECT_EQ(list(d).texts()[0], "Alarm");
        d.click(IDC_MOVE_DOWN);
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", "Alarm", "Boiler.Pumps.P2"}));
        EXPECT_EQ(list(d).selected(), 1);
        EXPECT_EQ(list(d).image(1), 2);
        // Moved rows are still found as listed: adding one again selects it where it is now.
        add(d, "Alarm");
        EXPECT_EQ(list(d).selected(), 1);
        add(d, "Boiler/Pumps/P2");
        EXPECT_EQ(list(d).selected(), 2);
        add(d, "Boiler/Pumps/P1");
        EXPECT_EQ(list(d).selected(), 0);
        EXPECT_EQ(list(d).count(), 3);
        list(d).select(-1);
        EXPECT_EQ(buttons(d), Buttons({false, false, false}));
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(items, Rows({"Boiler.Pumps.P1", "Alarm", "Boiler.Pumps.P2"}));
}

TEST_F(ItemSelectionTest, RemoveSelectsTheRowThatTakesItsPlace) {
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        add(d, "Boiler");
        ASSERT_EQ(list(d).count(), 4);
        list(d).select(1);
        d.click(IDC_REMOVE_ITEM);
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", "Boiler.Temp1", "Boiler.Temp2"}));
        EXPECT_EQ(list(d).selected(), 1);
        add(d, "Boiler/Temp2");  // listed, and moved up by the removal
        EXPECT_EQ(list(d).count(), 3);
        EXPECT_EQ(list(d).selected(), 2);
        d.click(IDC_REMOVE_ITEM);  // the last row: the new last row is selected
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", "Boiler.Temp1"}));
        EXPECT_EQ(list(d).selected(), 1);
        EXPECT_EQ(buttons(d), Buttons({true, true, false}));
        // Removed rows can come back, at the end.
        add(d, "Boiler/Pumps/P2");
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", "Boiler.Temp1", "Boiler.Pumps.P2"}));
        d.click(IDC_REMOVE_ITEM);
        d.click(IDC_REMOVE_ITEM);
        d.click(IDC_REMOVE_ITEM);
        EXPECT_EQ(list(d).count(), 0);
        EXPECT_EQ(list(d).selected(), -1);
        EXPECT_EQ(buttons(d), Buttons({false, false, false}));
        d.click(IDC_REMOVE_ITEM);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_TRUE(items.empty());
}

TEST_F(ItemSelectionTest, LongItemIdsStayWholeThroughMovesAndOk) {
    const std::string long_id = "Plant." + std::string(300, 'x') + ".PV";
    const std::string space = "namespace hierarchical\nleaf Short\nleaf Long = " + long_id + "\nleaf Last\n";
    int result = open(space, [&](ui::MemoryDialog &d) {
        add(d, "");
        ASSERT_EQ(list(d).texts(), Rows({"Short", long_id, "Last"}));
        list(d).select(1);
        d.click(IDC_MOVE_UP);
        d.click(IDC_MOVE_DOWN);
        d.click(IDC_MOVE_DOWN);
        EXPECT_EQ(list(d).selected(), 2);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(items, Rows({"Short", "Last", long_id}));
}

TEST_F(ItemSelectionTest, ServerThatCannotBeCreatedLeavesOnlyOkAndCancel) {
    server->progid = "Sim.NotRegistered.1";
    int result = open_registered([&](ui::MemoryDialog &d) {
        ASSERT_EQ(d.messages().size(), 1u);
        EXPECT_EQ(d.messages()[0].text, "Error creating server. Server may not be correctly registered.");
        EXPECT_EQ(d.messages()[0].caption, "Error");
        EXPECT_EQ(d.messages()[0].style, ui::kMbIconHand);
        EXPECT_FALSE(tree(d).enabled());
        ASSERT_EQ(tree(d).top_level().size(), 1u);
        EXPECT_EQ(tree(d).first_child(tree(d).top_level().front()), nullptr);
        tree(d).select(tree(d).top_level().front());
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list(d).count(), 0);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_TRUE(items.empty());
}

TEST_F(ItemSelectionTest, ServerWithoutBrowsingDisablesTheTreeSilently) {
    open("namespace hierarchical\nfault no-browse\nleaf Unreachable\n", [&](ui::MemoryDialog &d) {
        EXPECT_TRUE(d.messages().empty());
        EXPECT_FALSE(tree(d).enabled());
        EXPECT_EQ(tree(d).first_child(tree(d).top_level().front()), nullptr);
        d.click(ui::kIdCancel);
    });
}
