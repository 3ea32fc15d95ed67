// What the native browse and dialog tests share: a server record served by the sim platform from
// a described address space, the plant they browse, and readings of trees.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "memory_dialog.h"
#include "opc/browse_view.h"
#include "opc/connect.h"
#include "platform/sim/sim_platform.h"
#include "resource_ids.h"
#include "temp_dir.h"
#include "test_support.h"

namespace tagcfg::test {

namespace sim = platform::sim;
using Texts = std::vector<std::string>;

// A dialog's tree; the browsing dialogs' unless another is named.
inline ui::MemoryTree &tree(ui::MemoryDialog &d, int control = IDC_BROWSE_TREE) { return d.memory_tree(control); }

// Which of the buttons can be pressed: each one's letter in the order given, "-" for one that cannot.
inline std::string buttons(ui::MemoryDialog &d, std::initializer_list<std::pair<int, char>> letters) {
    std::string enabled;
    for (const auto &[control, letter] : letters) enabled += d.enabled(control) ? letter : '-';
    return enabled;
}

// An item ID longer than any control's buffer: rows and records must keep it whole.
inline const std::string kLongId = "Plant." + std::string(300, 'x') + ".PV";

// The plant the browsing tests serve (tests/data/plant.space), with a leaf of kLongId last. Under
// every node, branches come before leaves whatever the order there.
inline const std::string kPlant =
    read_bytes(TAGCFG_SOURCE_DIR "/tests/data/plant.space") + "leaf Long = " + kLongId + "\n";

// The node at a path of texts joined with "/" from the top level, as MemoryTree::path writes it,
// opening the nodes on the way (not the node itself); null when no node has the path.
inline ui::TreeNode find_node(ui::MemoryTree &tree, const std::string &path, ui::TreeNode below = nullptr) {
    if (below) tree.expand(below);
    for (ui::TreeNode c = tree.first_child(below); c; c = tree.next_sibling(c)) {
        if (tree.path(c) == path) return c;
        if (path.rfind(tree.path(c) + "/", 0) == 0) return find_node(tree, path, c);
    }
    return nullptr;
}

// The texts of a node's children once it is open, or of the top level.
inline Texts children(ui::MemoryTree &tree, ui::TreeNode node) {
    if (node) tree.expand(node);
    Texts texts;
    for (ui::TreeNode c = tree.first_child(node); c; c = tree.next_sibling(c)) texts.push_back(tree.text(c));
    return texts;
}

// An OPC server as its installer registers it on a computer ("" for this one); an empty CLSID text
// leaves that subkey out.
inline const char kClsidText[] = "{12345678-9ABC-DEF0-1122-334455667788}";
inline void add_opc_server(const std::string &computer, const std::string &progid, const std::string &description,
                           const std::string &clsid = kClsidText) {
    sim::add_registry_key(computer, progid, description);
    sim::add_registry_key(computer, progid + "\\OPC");
    if (!clsid.empty()) sim::add_registry_key(computer, progid + "\\CLSID", clsid);
}

inline std::string selected_path(ui::MemoryTree &tree) { return tree.selection() ? tree.path(tree.selection()) : ""; }
// A server record that a sim server serves; every server object, string and group the server
// handed out must be given back by the end of the test, each group after its interfaces.
class SimServerTest : public ::testing::Test {
protected:
    void serve(const std::string &space) {
        ASSERT_TRUE(sim::register_server("Sim.Plant.1", {0x5eed, 1, 2, {3}}, space));
        server->progid = "Sim.Plant.1";
        server->description = "Plant";
    }
    void TearDown() override {
        server.reset();
        EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
        EXPECT_EQ(sim::opc_calls().live_task_strings, 0);
        EXPECT_EQ(sim::opc_calls().live_groups, 0);
        EXPECT_EQ(sim::opc_calls().groups_removed_in_use, 0);
        sim::reset();
    }

    RecordRef<ServerConfig> server = make_server();
};

// A browsing dialog's pieces without the dialog: a connected server, its tree and its view.
class BrowseTest : public SimServerTest {
protected:
    void open(const std::string &space) {
        serve(space);
        tree.on_expanding = [this](ui::TreeNode node) { view.on_expanding(node); };
        bool connected = connect_server(*server);
        root = view.insert_root_node(*server);
        view.open(*server, connected);
    }
    Texts collect(ui::TreeNode branch, CollectEnd *end = nullptr) {
        Texts ids;
        CollectEnd ended = view.collect_item_ids(branch, [&](const std::string &id) { ids.push_back(id); });
        if (end) *end = ended;
        return ids;
    }

    ui::MemoryTree tree;
    BrowseView view{tree};
    ui::TreeNode root = nullptr;
};

}  // namespace tagcfg::test
