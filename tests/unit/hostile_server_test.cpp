// Servers that misbehave cost the user a dialog at most: an address space without a bottom,
// enumerations that never end, and server objects that die under the dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/channel_setup_dialog.h"
#include "dialogs/item_selection_dialog.h"
#include "memory_dialog.h"
#include "opc/browse_view.h"
#include "opc/connect.h"
#include "platform/sim/sim_platform.h"
#include "resource_ids.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;
using Texts = std::vector<std::string>;

namespace {

const platform::Guid kClsid = {0x77777777, 0x7777, 0x7777, {7, 7, 7, 7, 7, 7, 7, 7}};

const char kCyclic[] = "branch Loop loops-back\nleaf Value\n";
const char kEndless[] = "fault endless-leaves\nbranch Tanks\n  leaf Level\nleaf Alarm\n";
const char kPlant[] = "branch Boiler\n  leaf Temp1\n  leaf Temp2\nbranch Pumps\n  leaf P1\nleaf Alarm\n";

// "Loop.Loop. ... .Loop" with the name that many times, then the rest.
std::string loops(int count, const std::string &rest = "") {
    std::string text;
    for (int i = 0; i < count; ++i) text += "Loop.";
    return text + rest;
}

class HostileServer : public ::testing::Test {
protected:
    void register_space(const std::string &space) {
        ASSERT_TRUE(sim::register_server("Sim.Hostile.1", kClsid, space));
        server->progid = "Sim.Hostile.1";
    }
    // A browsing dialog's pieces without the dialog: a connected server, its tree and its view.
    void open(const std::string &space) {
        register_space(space);
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
    ui::TreeNode child(ui::TreeNode node, const std::string &text) {
        for (ui::TreeNode c = tree.first_child(node); c; c = tree.next_sibling(c))
            if (tree.text(c) == text) return c;
        return nullptr;
    }
    CollectEnd collect(ui::TreeNode branch, Texts &ids) {
        return view.collect_item_ids(branch, [&](const std::string &id) { ids.push_back(id); });
    }
    int run_item_selection(std::vector<std::string> &items, const std::function<void(ui::MemoryDialog &)> &user) {
        ItemSelectionDialog dialog(*server, items);
        return ui::MemoryDialogHost().run(dialog, user);
    }

    RecordRef<ServerConfig> server = test::make_server();
    ui::MemoryTree tree;
    BrowseView view{tree};
    ui::TreeNode root = nullptr;
};

ui::MemoryTree &tree_of(ui::MemoryDialog &d) { return d.memory_tree(IDC_BROWSE_TREE); }
ui::MemoryList &list_of(ui::MemoryDialog &d) { return d.memory_list(IDC_SELECTED_ITEMS); }

}  // namespace

TEST(DeadObjectResult, OnlyTheAnswersOfAServerThatHasGoneCount) {
    const struct {
        uint32_t result;
        bool dead;
    } cases[] = {
        {0x80010108, true},   // RPC_E_DISCONNECTED
        {0x80010007, true},   // RPC_E_SERVER_DIED
        {0x80010012, true},   // RPC_E_SERVER_DIED_DNE
        {0x800706BA, true},   // RPC_S_SERVER_UNAVAILABLE
        {0x80010001, false},  // RPC_E_CALL_REJECTED: busy, not gone
        {0x800706BE, false},  // RPC_S_CALL_FAILED
        {0x80004005, false},  // E_FAIL
        {0x00000001, false},  // S_FALSE
        {0x00000000, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(is_dead_object_result(static_cast<int32_t>(c.result)), c.dead) << std::hex << c.result;
}

// The position never goes more than 64 levels below the top; leaves there are still taken.
TEST_F(HostileServer, ACyclicSpaceIsWalkedSixtyFourLevelsDown) {
    open(kCyclic);
    tree.expand(root);
    Texts ids;
    EXPECT_EQ(collect(child(root, "Loop"), ids), CollectEnd::complete);
    ASSERT_EQ(ids.size(), 64u);
    EXPECT_EQ(ids.front(), loops(64, "Value"));  // depth first: the deepest level comes first
    EXPECT_EQ(ids.back(), "Loop.Value");
    ids.clear();
    EXPECT_EQ(collect(root, ids), CollectEnd::complete);
    EXPECT_EQ(ids.size(), 65u);

    // Opening along an item ID: the node 64 levels down opens, so its leaf can be selected;
    // nothing deeper is opened, however long the ID.
    view.locate_item_id(loops(64, "Value"), root, false);
    std::string path = "Sim.Hostile.1";
    for (int i = 0; i < 64; ++i) path += "/Loop";
    ASSERT_NE(tree.selection(), nullptr);
    EXPECT_EQ(tree.path(tree.selection()), path + "/Value");
    tree.select(nullptr);
    for (int count : {65, 100000}) {
        view.locate_item_id(loops(count, "Value"), root, false);
        EXPECT_EQ(tree.selection(), nullptr) << count;
    }
    ui::TreeNode deepest = root;
    for (int i = 0; i < 64; ++i) deepest = child(deepest, "Loop");
    EXPECT_TRUE(tree.node(deepest).expanded_once);
    EXPECT_FALSE(tree.node(child(deepest, "Loop")).expanded_once);
}

// The leaf enumeration never ends: one collect reads a million names in all, and asks for no
// more. (A fill's own million is checked by the dialog below.)
TEST_F(HostileServer, AnEndlessCollectStopsAfterAMillionNames) {
    open(kEndless);
    Texts ids;
    EXPECT_EQ(collect(root, ids), CollectEnd::name_limit);
    ASSERT_EQ(ids.size(), 999999u);  // the name Tanks, then Level and Value1 to Value999998
    EXPECT_EQ(ids.front(), "Tanks.Level");
    EXPECT_EQ(ids.back(), "Tanks.Value999998");
    // Tanks, the end of Tanks' branches, then its leaves; nothing after the millionth name.
    EXPECT_EQ(sim::opc_calls().enumerator_next, 1 + 1 + 999999);
}

// Endless empty folders: nothing to collect, and still the collect ends.
TEST_F(HostileServer, EndlessBranchesStillLetACollectEnd) {
    open("fault endless-branches\nbranch Tanks\n");
    Texts ids;
    EXPECT_EQ(collect(root, ids), CollectEnd::name_limit);
    EXPECT_TRUE(ids.empty());
}

// The dialog opens once the root's leaves have given a million names, and asks for no more.
// Escape ends ">>" at its next check, which comes every 4,096 names read, and what was found goes
// to the host.
TEST_F(HostileServer, TheItemSelectionDialogOpensOnAnEndlessServerAndEscapeStopsAdding) {
    register_space(kEndless);
    std::vector<std::string> items;
    int end = run_item_selection(items, [&](ui::MemoryDialog &d) {
        ui::TreeNode top = tree_of(d).top_level().front();
        const auto &kids = tree_of(d).node(top).kids;
        ASSERT_EQ(kids.size(), 1000001u);  // Tanks, then Alarm and Value1 to Value999999
        EXPECT_EQ(kids.back()->text, "Value999999");
        EXPECT_EQ(sim::opc_calls().enumerator_next, 2 + 1000000);  // Tanks and the end, then the leaves
        tree_of(d).select(top);
        d.press_key(ui::kVkEscape);
        d.click(IDC_ADD_ITEMS);
        EXPECT_FALSE(d.ended());
        EXPECT_EQ(d.key_checks(), 1);
        // 4,096 names: Tanks, Level and Value1 to Value4094, the last still taken.
        ASSERT_EQ(list_of(d).count(), 4095);
        EXPECT_EQ(list_of(d).text(4094), "Tanks.Value4094");
        EXPECT_EQ(list_of(d).selected(), 4094);
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(end, ui::kIdOk);
    EXPECT_EQ(items.size(), 4095u);
}

TEST_F(HostileServer, OnlyEscapeStopsAddingAndOnlyALongWalkLooksForIt) {
    register_space("branch Few\n  leaf One\n  leaf Two\ngenerate 1 10000\n");  // B0000: L000 to L9999
    std::vector<std::string> items;
    run_item_selection(items, [&](ui::MemoryDialog &d) {
        ui::TreeNode top = tree_of(d).top_level().front();
        ui::TreeNode few = tree_of(d).first_child(top), many = tree_of(d).next_sibling(few);
        d.press_key(ui::kVkEscape);
        tree_of(d).select(few);
        d.click(IDC_ADD_ITEMS);  // two names: never checked, the key waits
        EXPECT_EQ(list_of(d).count(), 2);
        EXPECT_EQ(d.keys_waiting(), 1u);
        bool cursor_before = d.wait_cursor_shown();
        tree_of(d).select(many);
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list_of(d).count(), 2 + 4096);
        EXPECT_EQ(d.keys_waiting(), 0u);
        d.press_key('A');  // taken and dropped at the first check; the walk goes on
        d.click(IDC_ADD_ITEMS);
        EXPECT_EQ(list_of(d).count(), 2 + 10000);
        EXPECT_EQ(d.key_checks(), 1 + 2);
        EXPECT_EQ(d.keys_waiting(), 0u);
        EXPECT_EQ(d.wait_cursor_shown(), cursor_before);
        d.click(ui::kIdOk);
    });
    ASSERT_EQ(items.size(), 10002u);
    EXPECT_EQ(items[2], "B0000.L000");
}

TEST_F(HostileServer, DialogsOnACyclicServerOpenCloseAndHandOverABoundedList) {
    register_space(kCyclic);
    std::vector<std::string> items;
    run_item_selection(items, [&](ui::MemoryDialog &d) {
        ui::TreeNode top = tree_of(d).top_level().front();
        tree_of(d).select(tree_of(d).first_child(top));  // Loop
        d.click(IDC_ADD_ITEMS);
        d.click(ui::kIdOk);
    });
    ASSERT_EQ(items.size(), 64u);
    EXPECT_EQ(items.back(), "Loop.Value");

    test::add_parsed(*server, 1, "", loops(100, "Value"));
    rebuild_indexes(*server);
    ChannelSetupDialog channel(0, *server, 1, "");
    int end = ui::MemoryDialogHost().run(channel, [&](ui::MemoryDialog &d) {
        EXPECT_EQ(tree_of(d).selection(), nullptr);
        EXPECT_TRUE(d.enabled(IDC_BROWSE_TREE));
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(end, ui::kIdOk);
    EXPECT_EQ(channel.item_id(), loops(100, "Value"));
}

// The dialog that meets the dead object behaves as for a server without browsing: no message,
// a disabled tree. The configuration lets the object go, and the next dialog makes a new one.
TEST_F(HostileServer, AServerThatDiesCostsTheDialogThatSawItAndTheNextOneConnectsAgain) {
    register_space(kPlant);
    std::vector<std::string> items;
    run_item_selection(items, [&](ui::MemoryDialog &d) {
        ui::MemoryTree &tree = tree_of(d);
        ui::TreeNode boiler = tree.first_child(tree.top_level().front());
        tree.select(boiler);
        d.click(IDC_ADD_ITEMS);
        sim::kill_server_objects();
        tree.click_expand_button(tree.next_sibling(boiler));  // Pumps: positioning meets the dead object
        EXPECT_FALSE(d.enabled(IDC_BROWSE_TREE));
        EXPECT_EQ(server->server_object, nullptr);
        EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
        tree.select(boiler);
        d.click(IDC_ADD_ITEMS);  // nothing to browse with any more
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(items, (Texts{"Boiler.Temp1", "Boiler.Temp2"}));
    EXPECT_EQ(sim::opc_calls().creations, 1);

    run_item_selection(items, [&](ui::MemoryDialog &d) {
        EXPECT_EQ(sim::opc_calls().creations, 2);
        EXPECT_TRUE(d.enabled(IDC_BROWSE_TREE));
        EXPECT_EQ(tree_of(d).node(tree_of(d).top_level().front()).kids.size(), 3u);
        d.click(ui::kIdCancel);
    });
}

TEST_F(HostileServer, AServerThatDiedBetweenDialogsIsFoundDeadWhenTheNextOneOpens) {
    register_space(kPlant);
    test::add_parsed(*server, 1, "", "Pumps.P1");
    rebuild_indexes(*server);
    ASSERT_TRUE(connect_server(*server));
    sim::kill_server_objects();
    ChannelSetupDialog first(0, *server, 1, "");
    ui::MemoryDialogHost().run(first, [&](ui::MemoryDialog &d) {
        EXPECT_TRUE(d.messages().empty());
        EXPECT_FALSE(d.enabled(IDC_BROWSE_TREE));
        EXPECT_EQ(tree_of(d).first_child(tree_of(d).top_level().front()), nullptr);
        d.type(IDC_ITEM_ID, "Boiler.Temp2");  // typing still works
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(server->server_object, nullptr);
    EXPECT_EQ(sim::opc_calls().creations, 1);

    ChannelSetupDialog second(0, *server, 1, "");
    ui::MemoryDialogHost().run(second, [&](ui::MemoryDialog &d) {
        EXPECT_TRUE(d.enabled(IDC_BROWSE_TREE));
        ASSERT_NE(tree_of(d).selection(), nullptr);
        EXPECT_EQ(tree_of(d).path(tree_of(d).selection()), "Sim.Hostile.1/Boiler/Temp2");
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(sim::opc_calls().creations, 2);
}

// Every call can meet the dead object, the enumerators it handed out included.
TEST_F(HostileServer, AServerThatDiesInTheMiddleOfAnEnumerationIsLetGo) {
    open("namespace flat\nleaf A\nleaf B\n");
    Texts ids;
    CollectEnd end = view.collect_item_ids(root, [&](const std::string &id) {
        ids.push_back(id);
        sim::kill_server_objects();
    });
    EXPECT_EQ(end, CollectEnd::server_lost);
    EXPECT_EQ(ids, Texts{"A"});
    EXPECT_FALSE(view.can_browse());
    EXPECT_FALSE(tree.enabled());
    EXPECT_EQ(server->server_object, nullptr);
    std::string id;
    EXPECT_FALSE(view.item_id_of_node(root, id));

    // Asking an item ID, filling a node, and reading an enumerator handed out before the death
    // meet it too.
    for (int call = 0; call < 3; ++call) {
        ASSERT_TRUE(connect_server(*server));
        view.open(*server, true);
        int32_t result = 0;
        auto browse = platform::query_browse_source(server->server_object, &result);
        ASSERT_NE(browse, nullptr) << call;
        auto names = browse->browse_item_ids(platform::kOpcFlat, &result);
        sim::kill_server_objects();
        switch (call) {
        case 0: EXPECT_FALSE(view.item_id_of_node(root, id)); break;
        case 1: EXPECT_EQ(view.fill_node(root), 0); break;
        default: EXPECT_EQ(view.insert_names(root, names.get(), NodeKind::leaf), 0); break;
        }
        EXPECT_FALSE(view.can_browse()) << call;
        EXPECT_EQ(server->server_object, nullptr) << call;
    }
}
