#include <gtest/gtest.h>

#include "model/channel_table.h"
#include "test_support.h"

using namespace tagcfg;
using namespace tagcfg::test;

namespace {

std::vector<int32_t> ids_in_order(const ServerConfig &config) {
    std::vector<int32_t> ids;
    for (Channel *c = config.channels.first(); c; c = c->next()) ids.push_back(c->channel_id);
    return ids;
}

class ChannelTableTest : public ::testing::Test {
protected:
    RecordRef<ServerConfig> server = make_server();
    ServerConfig &config = *server;
};

}  // namespace

TEST_F(ChannelTableTest, NameOnlyChannelIsBoundToTheNumberItIsLookedUpWith) {
    add_parsed(config, -1, "X", "Item.X");
    rebuild_indexes(config);
    Channel *found = lookup_channel(config, 7, "X");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->channel_id, 7);
    EXPECT_TRUE(config.modified);
    EXPECT_EQ(lookup_channel(config, 7, nullptr), found);
    EXPECT_EQ(lookup_channel(config, -1, "X"), nullptr);  // numbered now: found by number only
}

TEST_F(ChannelTableTest, NumberedChannelIsNeverFoundByName) {
    add_parsed(config, 3, "X", "Item.X");
    rebuild_indexes(config);
    EXPECT_EQ(lookup_channel(config, 5, "X"), nullptr);
    EXPECT_EQ(lookup_channel(config, -1, "X"), nullptr);
    EXPECT_NE(lookup_channel(config, 3, "anything"), nullptr);
    EXPECT_EQ(lookup_channel(config, -1, nullptr), nullptr);
    EXPECT_FALSE(config.modified);
}

TEST_F(ChannelTableTest, NameOnlyLookupWithoutNumberChangesNothing) {
    add_parsed(config, -1, "Y", "Item.Y");
    rebuild_indexes(config);
    Channel *found = lookup_channel(config, -1, "Y");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->channel_id, -1);
    EXPECT_FALSE(config.modified);
    EXPECT_EQ(lookup_channel(config, -1, ""), nullptr);
}

TEST_F(ChannelTableTest, StoreChangesItemAndAccessPathTogetherOnlyWhenTheyDiffer) {
    store_channel(config, numbered(4, "A", "P"));
    EXPECT_TRUE(config.modified);
    config.modified = false;
    store_channel(config, numbered(4, "A", "P"));
    EXPECT_FALSE(config.modified);
    store_channel(config, numbered(4, "A", ""));
    EXPECT_TRUE(config.modified);
    Channel *c = lookup_channel(config, 4, nullptr);
    EXPECT_EQ(c->item_id, "A");
    EXPECT_EQ(c->access_path, "");
}

TEST_F(ChannelTableTest, StoreAppendsNamelessChannelsAtTheEnd) {
    add_parsed(config, 1, "", "One");
    rebuild_indexes(config);
    ChannelValue value = numbered(9, "Nine");
    value.channel_name = "Ignored";
    store_channel(config, value);
    EXPECT_EQ(ids_in_order(config), (std::vector<int32_t>{1, 9}));
    EXPECT_EQ(config.channels.first()->next()->channel_name, "");
    EXPECT_EQ(lookup_channel(config, -1, "Ignored"), nullptr);
}

TEST_F(ChannelTableTest, StoreWithEmptyItemErasesAndMarksModifiedOnlyWhenSomethingWent) {
    store_channel(config, numbered(2, "Two"));
    config.modified = false;
    store_channel(config, numbered(3, ""));
    EXPECT_FALSE(config.modified);
    store_channel(config, numbered(2, ""));
    EXPECT_EQ(config.channels.size(), 0u);
    EXPECT_EQ(config.id_index.entry_count(), 0u);
    EXPECT_TRUE(config.modified);
}

TEST_F(ChannelTableTest, StoreWithNegativeNumberIsRefused) {
    store_channel(config, numbered(-3, "Lost"));
    EXPECT_EQ(config.channels.size(), 0u);
    EXPECT_EQ(config.id_index.entry_count(), 0u);
    EXPECT_FALSE(config.modified);
}

TEST_F(ChannelTableTest, EraseByNameTakesNameOnlyAndSameNumberChannels) {
    add_parsed(config, -1, "N", "a");
    add_parsed(config, 5, "N", "b");
    add_parsed(config, 6, "N", "c");  // another number: numbered channels go by number only
    add_parsed(config, -1, "M", "d");
    rebuild_indexes(config);
    erase_channel(config, 5, "N");
    EXPECT_EQ(ids_in_order(config), (std::vector<int32_t>{6, -1}));
    EXPECT_EQ(config.name_index.entry_count(), 2u);
    EXPECT_EQ(config.id_index.entry_count(), 1u);
    EXPECT_TRUE(config.modified);
}

TEST_F(ChannelTableTest, EraseByNumberRemovesEveryDuplicate) {
    add_parsed(config, 8, "", "first");
    add_parsed(config, 8, "", "second");
    rebuild_indexes(config);
    EXPECT_EQ(lookup_channel(config, 8, nullptr)->item_id, "second");  // the one read last
    erase_channel(config, 8, nullptr);
    EXPECT_EQ(config.channels.size(), 0u);
}

TEST_F(ChannelTableTest, SweepRemovesUnmarkedChannelsFromListAndIndexes) {
    add_parsed(config, 1, "", "a");
    add_parsed(config, -1, "Named", "b");
    add_parsed(config, 2, "", "c");
    rebuild_indexes(config);
    clear_marks(config);
    EXPECT_FALSE(config.modified);
    EXPECT_NE(mark_channel(config, 2, nullptr), nullptr);
    EXPECT_EQ(mark_channel(config, 3, nullptr), nullptr);
    sweep_unmarked(config);
    EXPECT_EQ(ids_in_order(config), (std::vector<int32_t>{2}));
    EXPECT_TRUE(config.modified);
    EXPECT_EQ(config.name_index.entry_count(), 0u);
    EXPECT_EQ(config.id_index.entry_count(), 1u);
    EXPECT_TRUE(config.channels.first()->marked);
}

TEST_F(ChannelTableTest, SweepOfAFullyMarkedTableChangesNothing) {
    store_channel(config, numbered(1, "a"));
    config.modified = false;
    sweep_unmarked(config);  // new channels count as in use
    EXPECT_EQ(config.channels.size(), 1u);
    EXPECT_FALSE(config.modified);
}

TEST_F(ChannelTableTest, FindByItemIdTakesTheFirstNumberedChannel) {
    add_parsed(config, -1, "NameOnly", "Shared");
    add_parsed(config, 4, "", "Shared");
    add_parsed(config, 3, "", "Shared");
    rebuild_indexes(config);
    EXPECT_EQ(find_by_item_id(config, "Shared"), 4);
    EXPECT_EQ(find_by_item_id(config, "Share"), -1);
    EXPECT_EQ(find_by_item_id(config, "shared"), -1);
}

TEST_F(ChannelTableTest, ManyChannelsStayReachableThroughGrowth) {
    for (int i = 0; i < 5000; ++i) store_channel(config, numbered(i, "I" + std::to_string(i)));
    EXPECT_EQ(config.id_index.bucket_count(), 8191u);
    for (int i = 0; i < 5000; i += 7) EXPECT_EQ(lookup_channel(config, i, nullptr)->item_id, "I" + std::to_string(i));
    for (int i = 0; i < 5000; i += 2) erase_channel(config, i, nullptr);
    EXPECT_EQ(config.channels.size(), 2500u);
    EXPECT_EQ(config.id_index.entry_count(), 2500u);
    EXPECT_EQ(lookup_channel(config, 2, nullptr), nullptr);
    EXPECT_NE(lookup_channel(config, 3, nullptr), nullptr);
}
