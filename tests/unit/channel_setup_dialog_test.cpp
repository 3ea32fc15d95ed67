#include <gtest/gtest.h>

#include "dialogs/channel_setup_dialog.h"
#include "memory_dialog.h"
#include "platform/sim/sim_platform.h"
#include "resource_ids.h"
#include "tagcfg.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;

namespace {

const platform::Guid kClsid = {0x44444444, 0x4444, 0x4444, {4, 4, 4, 4, 4, 4, 4, 4}};

class ChannelSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim::register_server("Sim.Plant.1", kClsid,
                                         "branch Boiler\n  leaf Temp1\n  leaf Temp2\nbranch Pumps\n  leaf P1\n"));
        server->progid = "Sim.Plant.1";
        server->hostname = "";
        server->description = "Boiler house";
        test::add_parsed(*server, 17, "", "Boiler.Temp2", "Line1");
        test::add_parsed(*server, -1, "Pump1", "Pumps.P1");
        rebuild_indexes(*server);
    }
    void TearDown() override {
        server.reset();
        sim::reset();
    }
    // Opens the dialog for a channel and lets the user act; returns the dialog's end.
    int open(int32_t channel_id, const char *name, const std::function<void(ui::MemoryDialog &)> &user) {
        dialog = std::make_unique<ChannelSetupDialog>(2, *server, channel_id, name);
        return ui::MemoryDialogHost().run(*dialog, [&](ui::MemoryDialog &d) {
            window = &d;
            user(d);
        });
    }
    std::string selected_path(ui::MemoryDialog &d) {
        ui::MemoryTree &tree = d.memory_tree(IDC_BROWSE_TREE);
        return tree.selection() ? tree.path(tree.selection()) : "";
    }
    ui::TreeNode find(ui::MemoryDialog &d, const std::string &path) {
        ui::MemoryTree &tree = d.memory_tree(IDC_BROWSE_TREE);
        std::vector<ui::TreeNode> level = tree.top_level();
        for (size_t i = 0; i < level.size(); ++i)
            if (tree.path(level[i]) == path) return level[i];
            else
                for (ui::TreeNode c = tree.first_child(level[i]); c; c = tree.next_sibling(c)) level.push_back(c);
        return nullptr;
    }

    RecordRef<ServerConfig> server = test::make_server();
    std::unique_ptr<ChannelSetupDialog> dialog;
    ui::MemoryDialog *window = nullptr;
};

}  // namespace

TEST_F(ChannelSetupTest, OpensWithTheServerAndTheChannelsItemShownAndSelected) {
    open(17, "Temp", [&](ui::MemoryDialog &d) {
        EXPECT_EQ(d.text(IDC_SERVER_NUMBER, 80), "OPC2");
        EXPECT_EQ(d.text(IDC_SERVER_PROGID, 80), "Sim.Plant.1");
        EXPECT_EQ(d.text(IDC_SERVER_HOSTNAME, 80), "");
        EXPECT_EQ(d.text(IDC_SERVER_DESCRIPTION, 80), "Boiler house");
        EXPECT_EQ(d.text(IDC_CHANNEL_NAME, 80), "Temp");
        EXPECT_EQ(d.text(IDC_ITEM_ID, 80), "Boiler.Temp2");
        EXPECT_EQ(d.text(IDC_ACCESS_PATH, 80), "Line1");
        EXPECT_EQ(d.focused(), IDC_ITEM_ID);
        EXPECT_TRUE(d.wait_cursor_shown());
        EXPECT_TRUE(d.enabled(IDC_BROWSE_TREE));
        EXPECT_TRUE(d.memory_tree(IDC_BROWSE_TREE).shows_shared_images());
        EXPECT_EQ(selected_path(d), "Boiler house/Boiler/Temp2");
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdCancel);
    });
}

TEST_F(ChannelSetupTest, NewChannelOpensEmptyWithOnlyTheFirstLevel) {
    open(40, "", [&](ui::MemoryDialog &d) {
        EXPECT_EQ(d.text(IDC_ITEM_ID, 80), "");
        EXPECT_EQ(selected_path(d), "");
        ui::MemoryTree &tree = d.memory_tree(IDC_BROWSE_TREE);
        ui::TreeNode root = tree.top_level().at(0);
        EXPECT_EQ(tree.node(root).kids.size(), 2u);
        EXPECT_FALSE(tree.node(tree.first_child(root)).expanded_once);
        d.click(ui::kIdCancel);
    });
}

TEST_F(ChannelSetupTest, NameOnlyChannelIsBoundToItsNumberAtOpening) {
    server->modified = false;
    open(23, "Pump1", [&](ui::MemoryDialog &d) {
        EXPECT_EQ(d.text(IDC_ITEM_ID, 80), "Pumps.P1");
        EXPECT_EQ(selected_path(d), "Boiler house/Pumps/P1");
        d.click(ui::kIdCancel);
    });
    EXPECT_TRUE(server->modified);
    EXPECT_EQ(lookup_channel(*server, 23, nullptr)->item_id, "Pumps.P1");
}

TEST_F(ChannelSetupTest, DoubleClickTakesALeafsItemIdButNotTheRoot) {
    // A root labelled like a top-level branch: the server would give it an item ID.
    server->description = "Pumps";
    int end = open(17, "", [&](ui::MemoryDialog &d) {
        ui::MemoryTree &tree = d.memory_tree(IDC_BROWSE_TREE);
        tree.select(tree.top_level().at(0));
        d.double_click(IDC_BROWSE_TREE);
        EXPECT_EQ(d.text(IDC_ITEM_ID, 80), "Boiler.Temp2");
        tree.expand(find(d, "Pumps/Pumps"));
        tree.select(find(d, "Pumps/Pumps/P1"));
        d.double_click(IDC_BROWSE_TREE);
        EXPECT_EQ(d.text(IDC_ITEM_ID, 80), "Pumps.P1");
        EXPECT_EQ(d.text(IDC_ACCESS_PATH, 80), "");
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(end, ui::kIdOk);
    EXPECT_EQ(dialog->item_id(), "Pumps.P1");
    Channel *stored = lookup_channel(*server, 17, nullptr);
    EXPECT_EQ(stored->item_id, "Pumps.P1");
    EXPECT_EQ(stored->access_path, "");
    EXPECT_TRUE(server->modified);
}

TEST_F(ChannelSetupTest, TypingBeforeTheTreeIsReadDoesNotMoveTheSelection) {
    open(17, "", [&](ui::MemoryDialog &d) {
        d.type(IDC_ITEM_ID, "Pumps.P1");
        EXPECT_EQ(selected_path(d), "Boiler house/Boiler/Temp2");
        d.click(ui::kIdCancel);
    });
    EXPECT_EQ(lookup_channel(*server, 17, nullptr)->item_id, "Boiler.Temp2");  // Cancel stores nothing
}

TEST_F(ChannelSetupTest, OkWithAnEmptyItemIdRemovesTheChannel) {
    open(17, "", [&](ui::MemoryDialog &d) {
        d.type(IDC_ITEM_ID, "");
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(lookup_channel(*server, 17, nullptr), nullptr);
    EXPECT_EQ(dialog->item_id(), "");
}

TEST_F(ChannelSetupTest, ItemIdsAreTakenUpTo1023Bytes) {
    open(17, "", [&](ui::MemoryDialog &d) {
        d.type(IDC_ITEM_ID, std::string(2000, 'x'));
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(lookup_channel(*server, 17, nullptr)->item_id.size(), 1023u);
}

TEST_F(ChannelSetupTest, ServerThatCannotBeCreatedIsReportedOnceAndTypingStillWorks) {
    server->progid = "Sim.Missing.1";
    int end = open(5, "", [&](ui::MemoryDialog &d) {
        ASSERT_EQ(d.messages().size(), 1u);
        EXPECT_EQ(d.messages()[0].text, "Error creating server. Server may not be correctly registered.");
        EXPECT_EQ(d.messages()[0].caption, "Error");
        EXPECT_EQ(d.messages()[0].style, ui::kMbIconHand);
        EXPECT_FALSE(d.enabled(IDC_BROWSE_TREE));
        EXPECT_EQ(d.memory_tree(IDC_BROWSE_TREE).top_level().size(), 1u);  // the root stands anyway
        d.type(IDC_ITEM_ID, "Typed.Item");
        d.type(IDC_ACCESS_PATH, "Path");
        d.click(ui::kIdOk);
    });
    EXPECT_EQ(end, ui::kIdOk);
    EXPECT_EQ(lookup_channel(*server, 5, nullptr)->access_path, "Path");
}

TEST_F(ChannelSetupTest, ServerWithoutBrowsingKeepsTheTreeDisabledWithoutAMessage) {
    ASSERT_TRUE(sim::register_server("Sim.Blind.1", {9, 9, 9, {9}}, "fault no-browse\nleaf A\n"));
    server->progid = "Sim.Blind.1";
    open(17, "", [&](ui::MemoryDialog &d) {
        EXPECT_FALSE(d.enabled(IDC_BROWSE_TREE));
        EXPECT_TRUE(d.messages().empty());
        d.click(ui::kIdCancel);
    });
    EXPECT_NE(server->server_object, nullptr);  // the server object stays with the configuration
}

TEST(ChannelSetupExport, FailsAsADialogThatCannotBeCreatedWithoutAWindowSystem) {
    tagcfg_environment *env = tagcfg_init_environment();
    char buffer[16] = "junk";
    EXPECT_EQ(tagcfg_select_channel(env, 0, 1, "", buffer, sizeof buffer, nullptr), -1);
    EXPECT_EQ(buffer[0], 0);
    tagcfg_free_environment(env);
}
