#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/item_selection_dialog.h"
#include "memory_dialog.h"
#include "platform/sim/sim_platform.h"
#include "platform/text.h"
#include "resource_ids.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;
using Rows = std::vector<std::string>;
using Buttons = std::vector<bool>;

namespace {

const platform::Guid kClsid = {0x55555555, 0x5555, 0x5555, {5, 5, 5, 5, 5, 5, 5, 5}};

const std::string kLongId = "Plant." + std::string(300, 'x') + ".PV";

// Branches come before leaves under every node, whatever the order here.
const std::string kPlant = R"(
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
leaf Long = )" + kLongId + "\n";

const char kFlat[] = "namespace flat\nleaf A\nleaf A.B\nleaf Pump:Speed\n";

class ItemSelectionTest : public ::testing::Test {
protected:
    void TearDown() override {
        server.reset();
        EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
        EXPECT_EQ(sim::opc_calls().live_task_strings, 0);
        sim::reset();
    }
    // Opens the dialog on a server serving the space (none: an unregistered server); returns
    // what the dialog ended with.
    int open(const std::string &space, const std::function<void(ui::MemoryDialog &)> &user) {
        server->progid = space.empty() ? "Sim.NotRegistered.1" : "Sim.Items.1";
        if (!space.empty()) {
            EXPECT_TRUE(sim::register_server("Sim.Items.1", kClsid, space));
        }
        server->description = "Plant";
        ItemSelectionDialog dialog(*server, items);
        return ui::MemoryDialogHost().run(dialog, user);
    }

    static ui::MemoryTree &tree(ui::MemoryDialog &d) { return d.memory_tree(IDC_BROWSE_TREE); }
    static ui::MemoryList &list(ui::MemoryDialog &d) { return d.memory_list(IDC_SELECTED_ITEMS); }
    static ui::TreeNode root(ui::MemoryDialog &d) { return tree(d).top_level().front(); }
    // The node at a path of texts below the root ("" is the root), opening the nodes on the way.
    static ui::TreeNode node(ui::MemoryDialog &d, const std::string &path) {
        ui::TreeNode at = root(d);
        for (size_t start = 0; at && start < path.size();) {
            size_t end = std::min(path.find('/', start), path.size());
            tree(d).expand(at);
            ui::TreeNode c = tree(d).first_child(at);
            while (c && tree(d).text(c) != path.substr(start, end - start)) c = tree(d).next_sibling(c);
            at = c;
            start = end + 1;
        }
        EXPECT_TRUE(at) << path;
        return at;
    }
    // The user picks a node and presses ">>".
    static void add(ui::MemoryDialog &d, const std::string &path) {
        tree(d).select(node(d, path));
        d.click(IDC_ADD_ITEMS);
    }
    static void double_click(ui::MemoryDialog &d, ui::TreeNode node) {
        tree(d).select(node);
        d.double_click(IDC_BROWSE_TREE);
    }
    // Remove, Up and Down, in that order.
    static Buttons buttons(ui::MemoryDialog &d) {
        return {d.enabled(IDC_REMOVE_ITEM), d.enabled(IDC_MOVE_UP), d.enabled(IDC_MOVE_DOWN)};
    }

    RecordRef<ServerConfig> server = test::make_server();
    std::vector<std::string> items;
};

}  // namespace

TEST(FoldCase, EqualKeysExactlyForTextsEqualWithoutCase) {
    // "\x81" "a" is a lead byte and a letter, kept apart from the escape:
    // clang-format off
    const Rows texts = {"", "a", "A", "ab", "AB", "aB.c1", "Ab.C1", "ab.c2", "\xe9", "\xc9",
                        "\x81" "a", "\x81" "A", "x\x81", "X\x81", "[", "{", "@", "`"};
    // clang-format on
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
    // clang-format off
    EXPECT_NE(platform::fold_case("\x81" "a"), platform::fold_case("\x81" "A"));
    // clang-format on
    sim::reset();
}

TEST_F(ItemSelectionTest, OpensWithListedEntriesOnceEachAndNothingToMove) {
    items = {"Boiler.Temp1", "boiler.TEMP1", "Alarm"};
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        EXPECT_EQ(list(d).column(), "OPC Item ID");
        EXPECT_TRUE(list(d).shows_shared_images());
        EXPECT_TRUE(tree(d).shows_shared_images());
        EXPECT_TRUE(tree(d).enabled());
        EXPECT_EQ(d.focused(), IDC_BROWSE_TREE);
        EXPECT_TRUE(d.wait_cursor_shown());
        EXPECT_TRUE(d.messages().empty());
        EXPECT_EQ(tree(d).text(root(d)), "Plant");
        EXPECT_TRUE(tree(d).node(root(d)).expanded);
        EXPECT_EQ(tree(d).node(root(d)).kids.size(), 8u);
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Temp1", "Alarm"}));
        EXPECT_EQ(list(d).image(1), kLeafImage);
        EXPECT_EQ(buttons(d), Buttons({false, false, false}));
        EXPECT_TRUE(d.enabled(IDC_ADD_ITEMS));
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(items, Rows({"Boiler.Temp1", "Alarm"}));
}

// Each pick starts with no row selected: the row selected afterwards is the one added or found.
TEST_F(ItemSelectionTest, PicksAddLeavesAndWholeBranchesOnceWithoutRegardToCase) {
    struct Case {
        const char *name;
        std::string space;
        std::vector<std::pair<const char *, int>> picks;  // path, row selected after it
        Rows rows;
    };
    const Case cases[] = {
        {"leaves",
         kPlant,
         {{"Boiler/Temp1", 0}, {"Boiler/Temp2", 1}, {"Upper", 2}, {"Boiler/Temp1", 0}, {"Lower", 2}, {"Odd", -1}},
         {"Boiler.Temp1", "Boiler.Temp2", "Plant.PUMP"}},
        {"branch containing a listed leaf",
         kPlant,
         {{"Boiler/Temp2", 0}, {"Boiler", 3}, {"Boiler", 3}, {"Refused", -1}},
         {"Boiler.Temp2", "Boiler.Pumps.P1", "Boiler.Pumps.P2", "Boiler.Temp1"}},
        {"root",
         kPlant,
         {{"", 6}},
         {"Boiler.Pumps.P1", "Boiler.Pumps.P2", "Boiler.Temp1", "Boiler.Temp2", "Alarm", "Plant.PUMP", kLongId}},
        {"flat root", kFlat, {{"", 2}}, {"A", "A.B", "Pump:Speed"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        items.clear();
        int result = open(c.space, [&](ui::MemoryDialog &d) {
            for (const auto &pick : c.picks) {
                list(d).select(-1);
                add(d, pick.first);
                EXPECT_EQ(list(d).selected(), pick.second) << pick.first;
                EXPECT_TRUE(list(d).redraw());
            }
            EXPECT_EQ(list(d).texts(), c.rows);
            d.click(ui::kIdOk);
        });
        EXPECT_EQ(result, ui::kIdOk);
        EXPECT_EQ(items, c.rows);
        server = test::make_server();  // lets the server object go before the stand-ins are reset
        sim::reset();
    }
}

TEST_F(ItemSelectionTest, DoubleClickAddsLeavesOnlyAndABranchFoundEmptyIsALeaf) {
    items = {"Alarm"};
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        d.double_click(IDC_BROWSE_TREE);  // nothing selected
        double_click(d, root(d));
        double_click(d, node(d, "Boiler/Pumps"));
        EXPECT_EQ(list(d).count(), 1);
        double_click(d, node(d, "Boiler/Pumps/P2"));
        d.double_click(IDC_BROWSE_TREE);
        EXPECT_EQ(list(d).texts(), Rows({"Alarm", "Boiler.Pumps.P2"}));
        EXPECT_EQ(list(d).selected(), 1);

        ui::TreeNode empty = node(d, "Empty");
        tree(d).select(empty);
        d.click(IDC_ADD_ITEMS);  // not opened yet: a branch with nothing below it
        EXPECT_EQ(list(d).count(), 2);
        tree(d).expand(empty);
        EXPECT_EQ(tree(d).node(empty).child_count, 0);
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list(d).texts(), Rows({"Alarm", "Boiler.Pumps.P2", "Empty"}));
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(items, Rows{"Alarm"}) << "Cancel leaves the list as it was";
}

// The long item ID checks that rows keep whole IDs through moves and OK.
TEST_F(ItemSelectionTest, UpAndDownFollowTheButtonRulesAndMovedRowsAreStillFound) {
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        add(d, "Boiler/Pumps");
        add(d, "Long");
        ASSERT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", "Boiler.Pumps.P2", kLongId}));
        EXPECT_EQ(buttons(d), Buttons({true, true, false}));  // the last row
        d.click(IDC_MOVE_DOWN);                               // disabled: nothing happens
        d.click(IDC_MOVE_UP);
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", kLongId, "Boiler.Pumps.P2"}));
        EXPECT_EQ(buttons(d), Buttons({true, true, true}));
        d.click(IDC_MOVE_UP);
        EXPECT_EQ(list(d).selected(), 0);
        EXPECT_EQ(buttons(d), Buttons({true, false, true}));  // the first row
        d.click(IDC_MOVE_UP);
        d.click(IDC_MOVE_DOWN);
        EXPECT_EQ(list(d).texts(), Rows({"Boiler.Pumps.P1", kLongId, "Boiler.Pumps.P2"}));
        EXPECT_EQ(list(d).selected(), 1);
        EXPECT_EQ(list(d).image(1), kLeafImage);
        // Adding a moved row again selects it where it is now.
        const std::pair<const char *, int> again[] = {{"Long", 1}, {"Boiler/Pumps/P2", 2}, {"Boiler/Pumps/P1", 0}};
        for (const auto &pick : again) {
            add(d, pick.first);
            EXPECT_EQ(list(d).selected(), pick.second) << pick.first;
        }
        EXPECT_EQ(list(d).count(), 3);
        list(d).select(-1);
        EXPECT_EQ(buttons(d), Buttons({false, false, false}));
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_EQ(items, Rows({"Boiler.Pumps.P1", kLongId, "Boiler.Pumps.P2"}));
}

TEST_F(ItemSelectionTest, RemoveSelectsTheRowInItsPlaceAndOkWithNoRowsEmptiesTheList) {
    items = {"Left.Over"};
    int result = open(kPlant, [&](ui::MemoryDialog &d) {
        d.click(IDC_REMOVE_ITEM);  // nothing selected
        add(d, "Boiler");
        ASSERT_EQ(list(d).count(), 5);
        list(d).select(2);
        d.click(IDC_REMOVE_ITEM);
        EXPECT_EQ(list(d).texts(), Rows({"Left.Over", "Boiler.Pumps.P1", "Boiler.Temp1", "Boiler.Temp2"}));
        EXPECT_EQ(list(d).selected(), 2);
        add(d, "Boiler/Temp2");  // listed, and moved up by the removal
        EXPECT_EQ(list(d).selected(), 3);
        d.click(IDC_REMOVE_ITEM);  // the last row: the new last row is selected
        EXPECT_EQ(list(d).selected(), 2);
        EXPECT_EQ(buttons(d), Buttons({true, true, false}));
        // Removed rows can come back, at the end.
        add(d, "Boiler/Pumps/P2");
        EXPECT_EQ(list(d).texts(), Rows({"Left.Over", "Boiler.Pumps.P1", "Boiler.Temp1", "Boiler.Pumps.P2"}));
        add(d, "Boiler/Temp2");
        EXPECT_EQ(list(d).selected(), 4);
        list(d).select(0);
        for (int i = 0; i < 5; ++i) d.click(IDC_REMOVE_ITEM);  // the only row goes last
        EXPECT_EQ(list(d).count(), 0);
        EXPECT_EQ(list(d).selected(), -1);
        EXPECT_EQ(buttons(d), Buttons({false, false, false}));
        d.click(IDC_REMOVE_ITEM);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_TRUE(items.empty());
}

TEST_F(ItemSelectionTest, AServerThatCannotBeCreatedIsReportedOnceAndOneWithoutBrowsingNotAtAll) {
    int result = open("", [&](ui::MemoryDialog &d) {
        ASSERT_EQ(d.messages().size(), 1u);
        EXPECT_EQ(d.messages()[0].text, "Error creating server. Server may not be correctly registered.");
        EXPECT_EQ(d.messages()[0].caption, "Error");
        EXPECT_EQ(d.messages()[0].style, ui::kMbIconHand);
        EXPECT_FALSE(tree(d).enabled());
        ASSERT_EQ(tree(d).top_level().size(), 1u);
        EXPECT_EQ(tree(d).first_child(root(d)), nullptr);
        add(d, "");
        EXPECT_EQ(list(d).count(), 0);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    EXPECT_TRUE(items.empty());

    open("namespace hierarchical\nfault no-browse\nleaf Unreachable\n", [&](ui::MemoryDialog &d) {
        EXPECT_TRUE(d.messages().empty());
        EXPECT_FALSE(tree(d).enabled());
        EXPECT_EQ(tree(d).first_child(root(d)), nullptr);
        d.click(ui::kIdCancel);
    });
}
