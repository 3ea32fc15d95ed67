#include <future>
#include <thread>

#include "dialog_fixture.h"
#include "dialogs/server_picker_dialog.h"
#include "opc/opc_util.h"
#include "platform/creation_list.h"
#include "platform/network.h"

using namespace tagcfg;
using namespace tagcfg::test;
using ::testing::EndsWith;

namespace {

// The tree below a node (the whole tree for none) as the user sees it: a line per node that has been
// opened into, "text:image", with "+" where the node offers an expand button, indented under its parent.
std::string render(ui::MemoryTree &t, ui::TreeNode parent = nullptr, const std::string &indent = "") {
    std::string text;
    for (ui::TreeNode c = t.first_child(parent); c; c = t.next_sibling(c)) {
        text += indent + t.text(c) + ":" + std::to_string(t.image(c)) + (t.child_count(c) ? "+" : "") + "\n";
        text += render(t, c, indent + "  ");
    }
    return text;
}

// The user clicks the node at the path: the control moves its caret and tells the dialog.
void pick(ui::MemoryDialog &d, const std::string &path) {
    d.select_node(IDC_PICKER_TREE, find_node(tree(d, IDC_PICKER_TREE), path));
}

// The server at the path, picked in a dialog of its own with OK or a double click, as
// "computer|ProgID|description|CLSID"; empty for none.
std::string picked(const std::string &path, bool double_click = false) {
    ServerPickerDialog dialog;
    ui::MemoryDialogHost().run(dialog, [&](ui::MemoryDialog &d) {
        pick(d, path);
        if (double_click) d.double_click(IDC_PICKER_TREE);
        else d.click(ui::kIdOk);
    });
    const ServerNode *node = dialog.picked();
    std::string clsid;
    if (!node) return "";
    if (node->clsid != platform::Guid()) clsid_to_text(node->clsid, clsid);
    return node->computer_name + "|" + node->progid + "|" + node->description + "|" + clsid;
}

class ServerPickerTest : public SimServerTest {
protected:
    int open(const ui::MemoryDialogHost::User &user) { return ui::MemoryDialogHost().run(dialog, user); }

    ServerPickerDialog dialog;
};

}  // namespace

TEST_F(ServerPickerTest, MyComputerListsOnlyOpcServersOnceWithTheirRegistryTexts) {
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
    EXPECT_EQ(picked("My Computer/Sim.NoText.1"), "|Sim.NoText.1||" + std::string(kClsidText));
    // Read after Long, whose CLSID must not carry over.
    EXPECT_EQ(picked("My Computer/None"), "|Sim.None.1|None|");
    sim::set_endless_keys("");  // then names without end, which open no key
    sim::add_network_entry("", platform::kDisplayDomain, "WORKGROUP");
    sim::set_network_failing(true);
    int result = open([&](ui::MemoryDialog &d) {
        EXPECT_TRUE(tree(d, IDC_PICKER_TREE).shows_shared_images());
        EXPECT_EQ(d.focused(), IDC_PICKER_TREE);
        // Two roots, unread until opened; nothing to accept yet.
        EXPECT_EQ(render(tree(d, IDC_PICKER_TREE)), "My Computer:3+\nNetwork Neighbourhood:4+\n");
        EXPECT_FALSE(d.enabled(ui::kIdOk));
        EXPECT_FALSE(d.wait_cursor_shown());
        pick(d, "My Computer");
        d.double_click(IDC_PICKER_TREE);  // not a server: only the tree reacts
        EXPECT_FALSE(d.ended());
        int keys_before = sim::opc_calls().enum_keys;
        tree(d, IDC_PICKER_TREE).expand(find_node(tree(d, IDC_PICKER_TREE), "My Computer"));
        EXPECT_EQ(render(tree(d, IDC_PICKER_TREE)), "My Computer:3+\n  Alpha:0\n  Bad:0\n  " + std::string(259, 'L') +
                                                        ":0\n  None:0\n  Sim.NoText.1:0\n  Unterminated:0\n  Zero:0\n"
                                                        "Network Neighbourhood:4+\n");
        EXPECT_EQ(sim::opc_calls().enum_keys - keys_before, 1000000);  // a walk reads a million names at most
        EXPECT_TRUE(d.wait_cursor_shown());
        // Each item is read once; one that offers nothing loses its button, quietly.
        for (const char *path : {"My Computer", "My Computer", "Network Neighbourhood"})
            tree(d, IDC_PICKER_TREE).click_expand_button(find_node(tree(d, IDC_PICKER_TREE), path));
        EXPECT_EQ(sim::opc_calls().enum_keys - keys_before, 1000000);
        EXPECT_THAT(render(tree(d, IDC_PICKER_TREE)), EndsWith("  Zero:0\nNetwork Neighbourhood:4\n"));
        EXPECT_TRUE(d.messages().empty());
        pick(d, "My Computer/Alpha");
        EXPECT_TRUE(d.enabled(ui::kIdOk));
        pick(d, "My Computer");
        EXPECT_FALSE(d.enabled(ui::kIdOk));
    });
    EXPECT_EQ(result, ui::kIdCancel);
    EXPECT_EQ(dialog.picked(), nullptr);
}

// A computer's servers come from its registry or, where that is refused, from its server browser,
// whose servers appear as the registry walk makes them. A computer stays empty only when both
// refuse; where the registry answers, even with no server, the browser is not asked, and My
// Computer never asks it. Containers and computers with nothing to offer lose their button.
TEST_F(ServerPickerTest, TheNetworkOffersContainersAndComputersWithTheirRegistriesOrServerBrowsers) {
    sim::add_network_entry("", platform::kDisplayDomain, "WORKGROUP");
    sim::add_network_entry("", platform::kDisplayShare, "\\\\PLANT2\\data");
    sim::add_network_entry("", platform::kDisplayRoot, "", "Sim Provider");
    sim::add_network_entry("Sim Provider", platform::kDisplayNetwork, "Sim Network");
    for (const char *computer : {"\\\\simhost", "\\\\PLANT2", "\\\\PLANT3", "\\\\PLANT4", "\\\\DEAD"})
        sim::add_network_entry("WORKGROUP", platform::kDisplayServer, computer);
    sim::add_network_entry("WORKGROUP", platform::kDisplayGeneric, "\\\\odd");
    add_opc_server("", "Sim.Local.1", "Local");
    add_opc_server("PLANT2", "Sim.Remote.1", "Remote");
    add_opc_server("PLANT3", "Sim.Hidden.1", "Hidden");
    sim::add_registry_key("PLANT4", "NotOpc.1", "Not a server");
    add_opc_server("DEAD", "Sim.Gone.1", "Gone");
    sim::set_unreachable("PLANT3");
    sim::set_unreachable("dead");
    sim::set_browser_unreachable("DEAD");
    for (const char *computer : {"", "PLANT2", "PLANT3", "PLANT4", "DEAD"})
        sim::add_browser_class(computer, "Sim.Browsed.1", {}, "Browsed");
    sim::add_browser_class("PLANT3", "Sim.NoText.1", {}, "");
    const std::string group = "Network Neighbourhood/WORKGROUP";
    open([&](ui::MemoryDialog &d) {
        for (const std::string &path :
             Texts{"My Computer", "Network Neighbourhood/Entire Network/Sim Network", group + "/simhost",
                   group + "/PLANT2", group + "/PLANT3", group + "/PLANT4", group + "/DEAD"})
            tree(d, IDC_PICKER_TREE).expand(find_node(tree(d, IDC_PICKER_TREE), path));
        EXPECT_EQ(render(tree(d, IDC_PICKER_TREE)),
                  test::lines({"My Computer:3+", "  Local:0", "Network Neighbourhood:4+", "  WORKGROUP:7+",
                               "    simhost:6+", "      Local:0", "    PLANT2:6+", "      Remote:0", "    PLANT3:6+",
                               "      Browsed:0", "      Sim.NoText.1:0", "    PLANT4:6", "    DEAD:6",
                               "  Entire Network:8+", "    Sim Network:5"}));
        EXPECT_TRUE(d.messages().empty());
        pick(d, group);
        EXPECT_FALSE(d.enabled(ui::kIdOk));
    });
    // This computer reached through the network is known by its name.
    EXPECT_EQ(picked(group + "/simhost/Local"), "simhost|Sim.Local.1|Local|" + std::string(kClsidText));
    EXPECT_EQ(picked(group + "/PLANT3/Sim.NoText.1", true), "PLANT3|Sim.NoText.1||");
}

// A network that never stops answering: the walk keeps the million names it read, without a message.
TEST_F(ServerPickerTest, AnEndlessNetworkIsReadAMillionNamesFar) {
    sim::add_network_entry("", platform::kDisplayDomain, "WORKGROUP");
    sim::set_network_endless(true);
    open([&](ui::MemoryDialog &d) {
        Texts network =
            children(tree(d, IDC_PICKER_TREE), find_node(tree(d, IDC_PICKER_TREE), "Network Neighbourhood"));
        ASSERT_EQ(network.size(), 1000000u);
        EXPECT_EQ(network.front(), "WORKGROUP");
        EXPECT_EQ(network.back(), "PC999999");
        EXPECT_TRUE(d.messages().empty());
    });
}

// A window binds to the newest object registered on its own thread, not on another.
TEST(CreationList, RegistrationsAreMatchedByThread) {
    ServerPickerDialog mine, theirs;
    std::promise<void> registered, newer_pushed;
    ui::EventTarget *taken_there = nullptr;
    std::thread other([&] {
        ui::push_creation(&theirs);
        registered.set_value();
        newer_pushed.get_future().wait();
        taken_there = ui::take_creation();
        EXPECT_EQ(ui::take_creation(), nullptr);
    });
    registered.get_future().wait();
    ui::push_creation(&mine);
    newer_pushed.set_value();
    other.join();
    EXPECT_EQ(taken_there, &theirs);
    EXPECT_EQ(ui::take_creation(), &mine);
    EXPECT_EQ(ui::take_creation(), nullptr);
}

TEST(CreationList, AFailedCreationLeavesNothingForTheNextDialog) {
    ServerPickerDialog failed, next;
    ui::push_creation(&failed);
    ui::forget_creation(&failed);  // as the host does when the window cannot be made
    EXPECT_EQ(ui::take_creation(), nullptr);
    EXPECT_EQ(ui::MemoryDialogHost().run(next, [](ui::MemoryDialog &) {}), ui::kIdCancel);
}
