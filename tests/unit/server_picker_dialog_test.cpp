#include <functional>

#include "dialog_fixture.h"
#include "dialogs/server_picker_dialog.h"
#include "platform/network.h"

using namespace tagcfg;
using namespace tagcfg::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

ui::MemoryTree &tree(ui::MemoryDialog &d) { return d.memory_tree(IDC_PICKER_TREE); }

// The children of the node at the path (the top level for ""), once it is open, as "text:image".
Texts shown(ui::MemoryDialog &d, const std::string &path) {
    return children(tree(d), path.empty() ? nullptr : find_node(tree(d), path), true);
}

// The user clicks the node at the path: the control moves its caret and tells the dialog.
void pick(ui::MemoryDialog &d, const std::string &path) { d.select_node(IDC_PICKER_TREE, find_node(tree(d), path)); }

// Picks the server at the path with OK, in a dialog of its own, and checks what was picked.
void check_picked(const std::string &path, const std::function<void(const ServerNode &)> &check) {
    ServerPickerDialog dialog;
    ui::MemoryDialogHost().run(dialog, [&](ui::MemoryDialog &d) {
        pick(d, path);
        d.click(ui::kIdOk);
    });
    ASSERT_NE(dialog.picked(), nullptr) << path;
    check(*dialog.picked());
}

class ServerPickerTest : public ::testing::Test {
protected:
    void TearDown() override { sim::reset(); }
    int open(const ui::MemoryDialogHost::User &user) { return ui::MemoryDialogHost().run(dialog, user); }

    ServerPickerDialog dialog;
};

}  // namespace

TEST_F(ServerPickerTest, MyComputerListsOnlyOpcServersWithTheirRegistryTexts) {
    add_opc_server("", "Sim.A.1", "Alpha");
    add_opc_server("", "Sim.Bad.1", "Bad", "not a class id");
    add_opc_server("", "Sim.Long.1", std::string(300, 'L'));
    add_opc_server("", "Sim.None.1", "None", "");
    add_opc_server("", "Sim.NoText.1", "");
    add_opc_server("", "Sim.Zero.1", std::string("Zero\0junk", 9));
    sim::add_registry_key("", "NotOpc.1", "Not a server");
    sim::add_registry_key("", "NotOpc.1\\CLSID", kClsidText);
    sim::add_registry_key("", "Sim.Open.1", "Unterminated", false);
    sim::add_registry_key("", "Sim.Open.1\\OPC");
    check_picked("My Computer/Sim.NoText.1", [](const ServerNode &server) {
        EXPECT_EQ(server.computer_name, "");
        EXPECT_EQ(server.progid, "Sim.NoText.1");
        EXPECT_EQ(server.description, "");
        EXPECT_EQ(server.clsid,
                  (platform::Guid{0x12345678, 0x9ABC, 0xDEF0, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}}));
    });
    // Read after Alpha, whose CLSID must not carry over.
    for (const char *unusable : {"My Computer/Bad", "My Computer/None"})
        check_picked(unusable, [](const ServerNode &server) { EXPECT_EQ(server.clsid, platform::Guid()); });
    sim::set_endless_keys("");  // then names without end, which open no key
    int result = open([&](ui::MemoryDialog &d) {
        EXPECT_TRUE(tree(d).shows_shared_images());
        EXPECT_EQ(d.focused(), IDC_PICKER_TREE);
        // Two roots, unread until opened; nothing to accept yet.
        EXPECT_THAT(shown(d, ""), ElementsAre("My Computer:3", "Network Neighbourhood:4"));
        EXPECT_EQ(tree(d).child_count(find_node(tree(d), "My Computer")), 1);
        EXPECT_THAT(tree(d).node(find_node(tree(d), "My Computer")).kids, IsEmpty());
        EXPECT_FALSE(d.enabled(ui::kIdOk));
        EXPECT_FALSE(d.wait_cursor_shown());
        pick(d, "My Computer");
        d.double_click(IDC_PICKER_TREE);  // not a server: only the tree reacts
        EXPECT_FALSE(d.ended());
        int keys_before = sim::opc_calls().enum_keys;
        EXPECT_THAT(shown(d, "My Computer"), ElementsAre("Alpha:0", "Bad:0", std::string(259, 'L') + ":0", "None:0",
                                                         "Sim.NoText.1:0", "Unterminated:0", "Zero:0"));
        EXPECT_EQ(sim::opc_calls().enum_keys - keys_before, 1000000);  // a walk reads a million names at most
        EXPECT_TRUE(d.wait_cursor_shown());
        EXPECT_EQ(tree(d).child_count(find_node(tree(d), "My Computer/Alpha")), 0);
        pick(d, "My Computer/Alpha");
        EXPECT_TRUE(d.enabled(ui::kIdOk));
        pick(d, "My Computer");
        EXPECT_FALSE(d.enabled(ui::kIdOk));
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(dialog.picked(), nullptr);
}

// A walk that finds nothing takes the expand button away, and the item is not read again.
TEST_F(ServerPickerTest, EachItemIsReadOnceAndAnEmptyOneLosesItsButtonQuietly) {
    sim::add_network_entry("", platform::kDisplayDomain, "WORKGROUP");
    sim::set_network_failing(true);
    open([&](ui::MemoryDialog &d) {
        for (const char *root : {"My Computer", "Network Neighbourhood"}) {
            tree(d).click_expand_button(find_node(tree(d), root));
            EXPECT_EQ(tree(d).child_count(find_node(tree(d), root)), 0) << root;
        }
        add_opc_server("", "Sim.Late.1", "Late");
        tree(d).click_expand_button(find_node(tree(d), "My Computer"));
        EXPECT_THAT(tree(d).node(find_node(tree(d), "My Computer")).kids, IsEmpty());
        EXPECT_TRUE(d.messages().empty());
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
    add_opc_server("", "Sim.Local.1", "Local");
    add_opc_server("PLANT2", "Sim.Remote.1", "Remote");
    add_opc_server("DEAD", "Sim.Gone.1", "Gone");
    sim::set_unreachable("dead");
    const std::string group = "Network Neighbourhood/WORKGROUP";
    open([&](ui::MemoryDialog &d) {
        EXPECT_THAT(shown(d, "Network Neighbourhood"), ElementsAre("WORKGROUP:7", "Entire Network:8"));
        EXPECT_THAT(shown(d, "Network Neighbourhood/Entire Network"), ElementsAre("Sim Network:5"));
        EXPECT_THAT(shown(d, group), ElementsAre("simhost:6", "PLANT2:6", "DEAD:6"));
        EXPECT_THAT(shown(d, group + "/simhost"), ElementsAre("Local:0"));
        EXPECT_THAT(shown(d, group + "/PLANT2"), ElementsAre("Remote:0"));
        // Containers and computers with nothing to offer lose their button.
        for (const std::string &empty : Texts{"Network Neighbourhood/Entire Network/Sim Network", group + "/DEAD"}) {
            EXPECT_THAT(shown(d, empty), IsEmpty()) << empty;
            EXPECT_EQ(tree(d).child_count(find_node(tree(d), empty)), 0) << empty;
        }
        EXPECT_TRUE(d.messages().empty());
        pick(d, group);
        EXPECT_FALSE(d.enabled(ui::kIdOk));
        pick(d, group + "/PLANT2/Remote");
        d.double_click(IDC_PICKER_TREE);
    });
    ASSERT_NE(dialog.picked(), nullptr);
    EXPECT_EQ(dialog.picked()->computer_name, "PLANT2");
    EXPECT_EQ(dialog.picked()->progid, "Sim.Remote.1");
    // This computer reached through the network is known by its name.
    check_picked(group + "/simhost/Local",
                 [](const ServerNode &server) { EXPECT_EQ(server.computer_name, "simhost"); });
}

// A network that never stops answering: the walk reads a million names, keeps what it found and
// shows no message.
TEST_F(ServerPickerTest, AnEndlessNetworkIsReadAMillionNamesFar) {
    sim::add_network_entry("", platform::kDisplayDomain, "WORKGROUP");
    sim::set_network_endless(true);
    open([&](ui::MemoryDialog &d) {
        Texts network = shown(d, "Network Neighbourhood");
        ASSERT_EQ(network.size(), 1000000u);
        EXPECT_EQ(network.front(), "WORKGROUP:7");
        EXPECT_EQ(network.back(), "PC999999:6");
        EXPECT_TRUE(d.messages().empty());
    });
}
