#include <memory>
#include <tuple>

#include "dialog_fixture.h"
#include "dialogs/channel_setup_dialog.h"

using namespace tagcfg;
using namespace tagcfg::test;
using ::testing::ElementsAre;

namespace {

class ChannelSetupTest : public SimServerTest {
protected:
    void SetUp() override {
        serve(kPlant);
        sim::set_computer_name("PLANT1");
        server->hostname = "plant1";  // this computer, by another spelling
        add_parsed(*server, 17, "", "Boiler.Temp2", "Line1");
        add_parsed(*server, -1, "Pump1", "Boiler.Pumps.P1");
        rebuild_indexes(*server);
        server->modified = false;
    }
    // Opens the dialog on a channel of server number 2; returns what it ended with.
    int open(int32_t channel_id, const char *name, const ui::MemoryDialogHost::User &user) {
        dialog = std::make_unique<ChannelSetupDialog>(2, *server, channel_id, name);
        return ui::MemoryDialogHost().run(*dialog, user);
    }

    std::unique_ptr<ChannelSetupDialog> dialog;
};

}  // namespace

TEST_F(ChannelSetupTest, OpensWithTheServerAndTheChannelsItemShownAndSelected) {
    // A channel number and name as the host gives them; the item ID, access path and node shown.
    const std::tuple<int32_t, const char *, const char *, const char *, const char *> cases[] = {
        {17, "Temp", "Boiler.Temp2", "Line1", "Plant/Boiler/Temp2"},
        {40, "", "", "", ""},                                           // a new channel: only the first level is read
        {23, "Pump1", "Boiler.Pumps.P1", "", "Plant/Boiler/Pumps/P1"},  // known by name: bound to the number
    };
    for (const auto &[channel, name, item_id, access_path, selected] : cases) {
        int end = open(channel, name, [&](ui::MemoryDialog &d) {
            Texts fields;
            for (int id : {IDC_SERVER_NUMBER, IDC_SERVER_PROGID, IDC_SERVER_HOSTNAME, IDC_SERVER_DESCRIPTION,
                           IDC_CHANNEL_NAME, IDC_ITEM_ID, IDC_ACCESS_PATH})
                fields.push_back(d.text(id, 80));
            EXPECT_THAT(fields, ElementsAre("OPC2", "Sim.Plant.1", "plant1", "Plant", name, item_id, access_path));
            EXPECT_EQ(d.focused(), IDC_ITEM_ID);
            EXPECT_TRUE(d.wait_cursor_shown());
            EXPECT_TRUE(tree(d).enabled());
            EXPECT_TRUE(tree(d).shows_shared_images());
            EXPECT_TRUE(d.messages().empty());
            EXPECT_EQ(selected_path(tree(d)), selected);
            EXPECT_EQ(tree(d).expanded_once(find_node(tree(d), "Plant/Boiler")), *selected != 0);
            d.set_text(IDC_ITEM_ID, "Typed.Item");
        });
        EXPECT_EQ(end, ui::kIdCancel);
    }
    EXPECT_TRUE(server->modified);
    EXPECT_EQ(lookup_channel(*server, 23, nullptr)->item_id, "Boiler.Pumps.P1");
    EXPECT_EQ(lookup_channel(*server, 17, nullptr)->item_id, "Boiler.Temp2");  // Cancel stores nothing
    EXPECT_EQ(lookup_channel(*server, 40, nullptr), nullptr);
}

TEST_F(ChannelSetupTest, ADoubleClickTakesALeafsItemIdButNotTheRoots) {
    server->description = "Boiler";  // the root labelled like a branch, which has an item ID
    int end = open(17, "", [&](ui::MemoryDialog &d) {
        tree(d).select(find_node(tree(d), "Boiler"));
        d.double_click(IDC_BROWSE_TREE);
        EXPECT_EQ(d.text(IDC_ITEM_ID, 80), "Boiler.Temp2");
        tree(d).select(find_node(tree(d), "Boiler/Boiler/Pumps/P1"));
        d.double_click(IDC_BROWSE_TREE);
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(end, ui::kIdOk);
    const Channel *stored = lookup_channel(*server, 17, nullptr);
    EXPECT_EQ(stored->item_id, "Boiler.Pumps.P1");
    EXPECT_EQ(stored->access_path, "");
    EXPECT_TRUE(server->modified);
}

TEST_F(ChannelSetupTest, OkStoresUpTo1023BytesAndAnEmptyItemIdRemovesTheChannel) {
    for (const std::string &typed : {std::string(2000, 'x'), std::string()}) {
        open(17, "", [&](ui::MemoryDialog &d) {
            d.set_text(IDC_ITEM_ID, typed);
            d.click(ui::kIdOk);
        });
        const Channel *stored = lookup_channel(*server, 17, nullptr);
        EXPECT_EQ(stored ? stored->item_id.str() : "(removed)", typed.empty() ? "(removed)" : typed.substr(0, 1023));
        EXPECT_EQ(dialog->item_id(), typed.substr(0, 1023));
    }
}

// A server that cannot be created is reported once; a server object found dead costs only the dialog
// that finds it, silently, and the next dialog connects again. Either way the tree is disabled, the
// root stands, labelled with the ProgID when there is no description, and typing still works.
TEST_F(ChannelSetupTest, AServerThatCannotBeReachedCostsOnlyTheBrowsing) {
    const Texts missing = {std::to_string(ui::kMbIconHand) +
                           "|Error|Error creating server. Server may not be correctly registered."};
    ASSERT_TRUE(connect_server(*server));
    sim::kill_server_objects();
    server->description.clear();
    for (const auto &[progid, message] : {std::pair("Sim.Plant.1", Texts()), std::pair("Sim.Missing.1", missing)}) {
        server->progid = progid;
        int end = open(5, "", [&](ui::MemoryDialog &d) {
            EXPECT_EQ(d.messages(), message);
            EXPECT_FALSE(tree(d).enabled());
            EXPECT_THAT(children(tree(d), nullptr), ElementsAre(progid));
            d.set_text(IDC_ITEM_ID, "Boiler.Temp2");
            d.set_text(IDC_ACCESS_PATH, "Path");
            d.click(ui::kIdOk);
        });
        EXPECT_EQ(end, ui::kIdOk);
        EXPECT_EQ(lookup_channel(*server, 5, nullptr)->access_path, "Path");
        EXPECT_EQ(server->server_object, nullptr);
    }
    server->progid = "Sim.Plant.1";
    open(5, "", [&](ui::MemoryDialog &d) { EXPECT_EQ(selected_path(tree(d)), "Sim.Plant.1/Boiler/Temp2"); });
    EXPECT_EQ(sim::opc_calls().creations, 2);
}
