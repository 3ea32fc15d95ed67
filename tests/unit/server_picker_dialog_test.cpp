#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/server_picker_dialog.h"
#include "platform/network.h"
#include "memory_dialog.h"
#include "platform/sim/sim_platform.h"
#include "resource_ids.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;
using Texts = std::vector<std::string>;

namespace {

const char kClsidText[] = "{12345678-9ABC-DEF0-1122-334455667788}";
const platform::Guid kClsid = {0x12345678, 0x9ABC, 0xDEF0, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}};

// An OPC server as its installer registers it; an empty CLSID text leaves the subkey out.
void add_server(const std::string &computer, const std::string &progid, const std::string &description,
                const std::string &clsid = kClsidText) {
    sim::add_registry_key(computer, progid, description);
    sim::add_registry_key(computer, progid + "\\OPC");
    if (!clsid.empty()) sim::add_registry_key(computer, progid + "\\CLSID", clsid);
}

class ServerPickerTest : public ::testing::Test {
protected:
    void TearDown() override { sim::reset(); }

    int open(const std::function<void(ui::MemoryDialog &)> &user) { return ui::MemoryDialogHost().run(dialog, user); }

    static ui::MemoryTree &tree(ui::MemoryDialog &d) { return d.memory_tree(IDC_PICKER_TREE); }
    static ui::TreeNode my_computer(ui::MemoryDialog &d) { return tree(d).top_level().at(0); }
    static ui::TreeNode neighbourhood(ui::MemoryDialog &d) { return tree(d).top_level().at(1); }
    // The child with that text, expanding the parent first.
    static ui::TreeNode child(ui::MemoryDialog &d, ui::TreeNode parent, const std::string &text) {
        tree(d).expand(parent);
        for (ui::TreeNode c = tree(d).first_child(parent); c; c = tree(d).next_sibling(c))
            if (tree(d).text(c) == text) return c;
        ADD_FAILURE() << "no " << text << " under " << tree(d).path(parent);
        return nullptr;
    }
    static Texts children(ui::MemoryDialog &d, ui::TreeNode parent) {
        tree(d).expand(parent);
        Texts texts;
        for (ui::TreeNode c = tree(d).first_child(parent); c; c = tree(d).next_sibling(c))
            texts.push_back(tree(d).text(c) + ":" + std::to_string(tree(d).image(c)));
        return texts;
    }
    // The user clicks a node: the control moves its caret and tells the dialog.
    static void pick(ui::MemoryDialog &d, ui::TreeNode node) { d.select_node(IDC_PICKER_TREE, node); }

    ServerPickerDialog dialog;
};

}  // namespace

TEST_F(ServerPickerTest, OpensWithTwoUnreadRootsAndNothingToAccept) {
    add_server("", "Sim.A.1", "Alpha");
    int result = open([&](ui::MemoryDialog &d) {
        EXPECT_TRUE(tree(d).shows_shared_images());
        EXPECT_EQ(d.focused(), IDC_PICKER_TREE);
        ASSERT_EQ(tree(d).top_level().size(), 2u);
        for (ui::TreeNode root : tree(d).top_level()) {
            EXPECT_EQ(tree(d).child_count(root), 1);
            EXPECT_EQ(tree(d).data(root), -1);
            EXPECT_TRUE(tree(d).node(root).kids.empty());
        }
        EXPECT_EQ(tree(d).text(my_computer(d)), "My Computer");
        EXPECT_EQ(tree(d).image(my_computer(d)), IMAGE_MY_COMPUTER);
        EXPECT_EQ(tree(d).text(neighbourhood(d)), "Network Neighbourhood");
        EXPECT_EQ(tree(d).image(neighbourhood(d)), IMAGE_NETWORK_NEIGHBOURHOOD);
        EXPECT_FALSE(d.enabled(ui::kIdOk));
        EXPECT_FALSE(d.wait_cursor_shown());
        pick(d, my_computer(d));
        d.double_click(IDC_PICKER_TREE);  // not a server: only the tree reacts
        EXPECT_FALSE(d.ended());
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(dialog.picked(), nullptr);
}

TEST_F(ServerPickerTest, MyComputerListsOnlyOpcServersWithTheirRegistryTexts) {
    add_server("", "Sim.A.1", "Alpha");
    add_server("", "Sim.NoText.1", "");
    sim::add_registry_key("", "NotOpc.1", "Not a server");
    sim::add_registry_key("", "NotOpc.1\\CLSID", kClsidText);
    add_server("", "Sim.Long.1", std::string(300, 'L'));
    add_server("", "Sim.Zero.1", std::string("Zero\0junk", 9));
    sim::add_registry_key("", "Sim.Open.1", "Unterminated", false);
    sim::add_registry_key("", "Sim.Open.1\\OPC");
    int result = open([&](ui::MemoryDialog &d) {
        EXPECT_EQ(children(d, my_computer(d)),
                  (Texts{"Alpha:0", std::string(259, 'L') + ":0", "Sim.NoText.1:0", "Unterminated:0", "Zero:0"}));
        EXPECT_TRUE(d.wait_cursor_shown());
        ui::TreeNode alpha = child(d, my_computer(d), "Alpha");
        EXPECT_EQ(tree(d).child_count(alpha), 0);
        pick(d, alpha);
        EXPECT_TRUE(d.enabled(ui::kIdOk));
        pick(d, my_computer(d));
        EXPECT_FALSE(d.enabled(ui::kIdOk));
        pick(d, child(d, my_computer(d), "Sim.NoText.1"));
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(result, ui::kIdOk);
    ASSERT_NE(dialog.picked(), nullptr);
    EXPECT_EQ(dialog.picked()->computer_name, "");
    EXPECT_EQ(dialog.picked()->progid, "Sim.NoText.1");
    EXPECT_EQ(dialog.picked()->description, "");
    EXPECT_EQ(dialog.picked()->clsid, kClsid);
}

TEST_F(ServerPickerTest, AServerWithoutAUsableClsidKeepsTheNullGuid) {
    add_server("", "Sim.A.1", "Good");  // read first: nothing of its CLSID may carry over
    add_server("", "Sim.Bad.1", "Bad", "not a class id");
    add_server("", "Sim.None.1", "None", "");
    for (const char *name : {"Bad", "None"}) {
        ServerPickerDialog picker;
        int result = ui::MemoryDialogHost().run(picker, [&](ui::MemoryDialog &d) {
            pick(d, child(d, my_computer(d), name));
            d.double_click(IDC_PICKER_TREE);
        });
        EXPECT_EQ(result, ui::kIdOk) << name;
        ASSERT_NE(picker.picked(), nullptr) << name;
        EXPECT_EQ(picker.picked()->clsid, platform::Guid()) << name;
    }
}

TEST_F(ServerPickerTest, EachItemIsReadOnceAndAnEmptyOneLosesItsButton) {
    open([&](ui::MemoryDialog &d) {
        tree(d).click_expand_button(my_computer(d));
        EXPECT_EQ(tree(d).child_count(my_computer(d)), 0);
        add_server("", "Sim.Late.1", "Late");
        tree(d).click_expand_button(my_computer(d));
        tree(d).click_expand_button(my_computer(d));
        EXPECT_TRUE(tree(d).node(my_computer(d)).kids.empty());
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdCancel);
    });
}

TEST_F(ServerPickerTest, TheNetworkOffersContainersAndComputersWithTheirRegistries) {
    sim::add_network_entry("", platform::kDisplayDomain, "WORKGROUP");
    sim::add_network_entry("", platform::kDisplayShare, "\\\\PLANT2\\data");
    sim::add_network_entry("", platform::kDisplayRoot, "", "Sim Provider");
    sim::add_network_entry("Sim Provider", platform::kDisplayNetwork, "Sim Network");
    sim::add_network_entry("WORKGROUP", platform::kDisplayServer, "\\\\simhost");
    sim::add_network_entry("WORKGROUP", platform::kDisplayServer, "\\\\PLANT2");
    sim::add_network_entry("WORKGROUP", platform::kDisplayServer, "\\\\DEAD");
    sim::add_network_entry("WORKGROUP", platform::kDisplayGeneric, "\\\\odd");
    add_server("", "Sim.Local.1", "Local");
    add_server("PLANT2", "Sim.Remote.1", "Remote");
    add_server("DEAD", "Sim.Gone.1", "Gone");
    sim::set_unreachable("dead");
    int result = open([&](ui::MemoryDialog &d) {
        EXPECT_EQ(children(d, neighbourhood(d)), (Texts{"WORKGROUP:7", "Entire Network:8"}));
        ui::TreeNode everything = child(d, neighbourhood(d), "Entire Network");
        EXPECT_EQ(children(d, everything), (Texts{"Sim Network:5"}));
        ui::TreeNode empty_network = child(d, everything, "Sim Network");
        EXPECT_EQ(children(d, empty_network), Texts{});
        EXPECT_EQ(tree(d).child_count(empty_network), 0);
        ui::TreeNode group = child(d, neighbourhood(d), "WORKGROUP");
        EXPECT_EQ(children(d, group), (Texts{"simhost:6", "PLANT2:6", "DEAD:6"}));
        EXPECT_EQ(children(d, child(d, group, "simhost")), (Texts{"Local:0"}));
        ui::TreeNode dead = child(d, group, "DEAD");
        EXPECT_EQ(children(d, dead), Texts{});
        EXPECT_EQ(tree(d).child_count(dead), 0);
        EXPECT_TRUE(d.messages().empty());
        ui::TreeNode local = child(d, child(d, group, "simhost"), "Local");
        pick(d, local);
        EXPECT_TRUE(d.enabled(ui::kIdOk));
        pick(d, group);
        EXPECT_FALSE(d.enabled(ui::kIdOk));
        pick(d, child(d, child(d, group, "PLANT2"), "Remote"));
        d.double_click(IDC_PICKER_TREE);
    });
    EXPECT_EQ(result, ui::kIdOk);
    ASSERT_NE(dialog.picked(), nullptr);
    EXPECT_EQ(dialog.picked()->computer_name, "PLANT2");
    EXPECT_EQ(dialog.picked()->progid, "Sim.Remote.1");
}

TEST_F(ServerPickerTest, ThisComputerReachedThroughTheNetworkCarriesItsName) {
    sim::add_network_entry("", platform::kDisplayServer, "\\\\SimHost");
    add_server("", "Sim.Local.1", "Local");
    open([&](ui::MemoryDialog &d) {
        pick(d, child(d, child(d, neighbourhood(d), "SimHost"), "Local"));
        d.click(ui::kIdOk);
    });
    ASSERT_NE(dialog.picked(), nullptr);
    EXPECT_EQ(dialog.picked()->computer_name, "SimHost");
}

TEST_F(ServerPickerTest, AFailingNetworkLosesItsButtonQuietly) {
    sim::add_network_entry("", platform::kDisplayDomain, "WORKGROUP");
    sim::set_network_failing(true);
    open([&](ui::MemoryDialog &d) {
        tree(d).expand(neighbourhood(d));
        EXPECT_EQ(tree(d).child_count(neighbourhood(d)), 0);
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdCancel);
    });
}

// A registry and a network that never stop answering: each walk reads a million names, keeps
// what it found and shows no message.
TEST_F(ServerPickerTest, EndlessRegistriesAndNetworksAreReadAMillionNamesFar) {
    add_server("", "Sim.Local.1", "Local");
    sim::set_endless_keys("");
    sim::add_network_entry("", platform::kDisplayDomain, "WORKGROUP");
    sim::set_network_endless(true);
    open([&](ui::MemoryDialog &d) {
        int keys_before = sim::opc_calls().enum_keys;
        EXPECT_EQ(children(d, my_computer(d)), Texts{"Local:0"});
        EXPECT_EQ(sim::opc_calls().enum_keys - keys_before, 1000000);
        tree(d).expand(neighbourhood(d));
        const auto &found = tree(d).node(neighbourhood(d)).kids;
        ASSERT_EQ(found.size(), 1000000u);
        EXPECT_EQ(found.front()->text, "WORKGROUP");
        EXPECT_EQ(found.back()->text, "PC999999");
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdCancel);
    });
}
