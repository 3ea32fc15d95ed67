// The host's view: failure values, the copy-out rule and the channel and clean-up exports.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "frame/copy_out.h"
#include "frame/handles.h"
#include "platform/sim/sim_platform.h"
#include "tagcfg.h"
#include "test_support.h"

using namespace tagcfg;

namespace {

class ExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        env = tagcfg_init_environment();
        ASSERT_NE(env, nullptr);
        env->env.servers.resize(3);  // [server, empty, server]
        env->env.servers[0] = test::make_server();
        env->env.servers[2] = test::make_server();
        first().progid = "Vendor.Server.1";
        first().hostname = "PLANT2";
    }
    void TearDown() override {
        tagcfg_free_environment(env);
        platform::sim::reset();
    }
    ServerConfig &first() { return *env->env.servers[0]; }
    ServerConfig &last() { return *env->env.servers[2]; }

    tagcfg_environment *env = nullptr;
    char buffer[64];
};

}  // namespace

TEST(CopyOut, CutsToSizeMinusOneAndZeroesTheRest) {
    char buffer[8];
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(copy_out("abcdefg", buffer, 8), 7);
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_EQ(copy_out("abcdefgh", buffer, 8), 7);
    EXPECT_STREQ(buffer, "abcdefg");
    std::memset(buffer, 'Z', sizeof buffer);
    EXPECT_EQ(copy_out("ab", buffer, 8), 2);
    for (int i = 2; i < 8; ++i) EXPECT_EQ(buffer[i], 0) << i;
    EXPECT_EQ(copy_out("ab", buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(copy_out(nullptr, buffer, 8), 0);
    EXPECT_EQ(buffer[0], 0);
}

TEST(CopyOut, WritesNothingWithoutRoom) {
    char buffer[2] = {'x', 'y'};
    EXPECT_EQ(copy_out("abc", buffer, 0), 0);
    EXPECT_EQ(copy_out("abc", buffer, -5), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(copy_out("abc", nullptr, 10), 0);
}

TEST(CopyOut, NeverSplitsADoubleByteCharacter) {
    platform::sim::set_lead_byte_ranges(platform::sim::code_page_932_lead_bytes());
    const char text[] = "a\x82\xA0\x82\xA2";  // 'a' and two double-byte characters
    char buffer[8];
    EXPECT_EQ(copy_out(text, buffer, 3), 1);  // room for 2 bytes: the lead byte would be cut
    EXPECT_STREQ(buffer, "a");
    EXPECT_EQ(copy_out(text, buffer, 4), 3);
    EXPECT_STREQ(buffer, "a\x82\xA0");
    EXPECT_EQ(copy_out(text, buffer, 5), 3);
    EXPECT_EQ(copy_out(text, buffer, 6), 5);
    // A trail byte that looks like a lead byte is still a trail byte.
    // Two lead bytes, then a letter apart from the escape:
    // clang-format off
    const char tricky[] = "\x81\x81" "b";
    // clang-format on
    EXPECT_EQ(copy_out(tricky, buffer, 4), 3);
    EXPECT_EQ(copy_out(tricky, buffer, 3), 2);
    platform::sim::reset();
    EXPECT_EQ(copy_out(text, buffer, 3), 2);  // single-byte code page: bytes are characters
}

TEST_F(ExportsTest, ServerNumbersWithoutAServerFailAlike) {
    for (int number : {-1, 1, 3}) {
        std::strcpy(buffer, "junk");
        EXPECT_EQ(tagcfg_get_server_name(env, number, buffer, sizeof buffer), 0);
        EXPECT_STREQ(buffer, "");
        EXPECT_EQ(tagcfg_get_server_host(env, number, buffer, sizeof buffer), 0);
        int type = 7, count = 7;
        EXPECT_EQ(tagcfg_get_server_type(env, number, &type, &count), -1);
        EXPECT_EQ(type, 7);
        EXPECT_EQ(tagcfg_set_server_host(env, number, "H"), -1);
        EXPECT_EQ(tagcfg_remove_channel(env, number, 1, nullptr), -1);
        EXPECT_EQ(tagcfg_mark_channel(env, number, 1, nullptr), 0);
        EXPECT_EQ(tagcfg_get_channel_id(env, number, 1, nullptr, buffer, sizeof buffer), 0);
        EXPECT_EQ(tagcfg_select_channel(env, number, 1, "", buffer, sizeof buffer, nullptr), -1);
        EXPECT_EQ(tagcfg_select_items(env, number, nullptr), nullptr);
        EXPECT_EQ(tagcfg_select_server(env, number, nullptr), -1);
    }
}

TEST_F(ExportsTest, NullHandlesAndArgumentsFailWithoutCrashing) {
    EXPECT_EQ(tagcfg_load(nullptr, "", ""), -1);
    EXPECT_EQ(tagcfg_save(nullptr, "", "", 0, 1), -1);
    EXPECT_EQ(tagcfg_find_channel(nullptr, "x"), -1);
    EXPECT_EQ(tagcfg_find_channel(env, nullptr), -1);
    EXPECT_EQ(tagcfg_set_server_host(env, 0, nullptr), -1);
    EXPECT_EQ(tagcfg_get_server_name(env, 0, nullptr, 10), 0);
    EXPECT_EQ(tagcfg_itemlist_size(nullptr), 0);
    EXPECT_EQ(tagcfg_itemlist_get_id(nullptr, 0, buffer, sizeof buffer), 0);
    tagcfg_add_channel(env, 0, 1, nullptr);
    EXPECT_EQ(first().channels.size(), 0u);
    tagcfg_free_environment(nullptr);
    tagcfg_clear(nullptr);
    tagcfg_start_gc(nullptr);
    tagcfg_finish_gc(nullptr);
    tagcfg_itemlist_free(nullptr);
}

TEST_F(ExportsTest, ServerTextsFollowTheCopyOutRule) {
    EXPECT_EQ(tagcfg_get_server_name(env, 0, buffer, sizeof buffer), 15);
    EXPECT_STREQ(buffer, "Vendor.Server.1");
    EXPECT_EQ(tagcfg_get_server_name(env, 0, buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(tagcfg_get_server_name(env, 0, buffer, 7), 6);
    EXPECT_STREQ(buffer, "Vendor");
    EXPECT_EQ(tagcfg_get_server_host(env, 2, buffer, sizeof buffer), 0);
    EXPECT_EQ(tagcfg_get_server_host(env, 0, buffer, sizeof buffer), 6);
}

// A failure leaves the empty text by its first and last byte and the caller's bytes between them
// alone; a text that exists, even an empty one, fills the buffer as ever.
TEST_F(ExportsTest, FailuresWriteOnlyTheFirstAndTheLastByte) {
    const std::string failed("\0ZZZZZZ\0", 8), empty(8, '\0');
    auto *list = new tagcfg_itemlist{{"A.B"}};
    const std::pair<std::function<int(char *)>, std::string> cases[] = {
        {[&](char *b) { return tagcfg_get_server_name(env, 1, b, 8); }, failed},
        {[&](char *b) { return tagcfg_get_server_host(env, 3, b, 8); }, failed},
        {[&](char *b) { return tagcfg_get_channel_id(env, 0, 5, "none", b, 8); }, failed},
        {[&](char *b) { return tagcfg_get_channel_access_path(env, -1, 5, nullptr, b, 8); }, failed},
        {[&](char *b) { return tagcfg_select_channel(env, 0, 5, "", b, 8, nullptr) + 1; }, failed},
        {[&](char *b) { return tagcfg_itemlist_get_id(list, 1, b, 8); }, failed},
        {[&](char *b) { return tagcfg_get_server_host(env, 2, b, 8); }, empty},
        {[&](char *b) { return tagcfg_get_server_name(env, 2, b, 8); }, empty},
    };
    for (const auto &[call, expected] : cases) {
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(call(buffer), 0);
        EXPECT_EQ(std::string(buffer, 9), expected + "Z");
    }
    tagcfg_itemlist_free(list);
}

TEST_F(ExportsTest, HostChangeIsCaseSensitiveAndMarksModified) {
    EXPECT_EQ(tagcfg_set_server_host(env, 0, "PLANT2"), 0);
    EXPECT_FALSE(first().modified);
    EXPECT_EQ(tagcfg_set_server_host(env, 0, "plant2"), 0);
    EXPECT_TRUE(first().modified);
    EXPECT_EQ(first().hostname, "plant2");
}

TEST_F(ExportsTest, ServerTypeComesFromTheClsidBeforeTheProgId) {
    const platform::Guid special = {0xD5238CB9, 0xAEBE, 0x11D2, {0xB5, 0xE1, 0x00, 0x40, 0x95, 0x24, 0xE7, 0x3B}};
    platform::sim::register_progid("Special.Server.1", special);
    int type = -1, count = -1;
    EXPECT_EQ(tagcfg_get_server_type(env, 2, &type, &count), 0);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(count, 0);
    last().progid = "Special.Server.1";
    tagcfg_add_channel(env, 2, 5, "Item");
    EXPECT_EQ(tagcfg_get_server_type(env, 2, nullptr, &count), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(tagcfg_get_server_type(env, 2, &type, nullptr), 0);
    EXPECT_EQ(type, 1);
    last().clsid = "not a clsid";  // the CLSID text wins even when it does not convert
    EXPECT_EQ(tagcfg_get_server_type(env, 2, &type, nullptr), 0);
    EXPECT_EQ(type, 0);
    last().clsid = "{d5238cb9-aebe-11d2-b5e1-00409524e73b}";
    EXPECT_EQ(tagcfg_get_server_type(env, 2, &type, nullptr), 0);
    EXPECT_EQ(type, 1);
}

TEST_F(ExportsTest, ChannelExportsReachTheTable) {
    test::add_parsed(first(), -1, "Pump1", "Pumps.P1", "Line1");
    rebuild_indexes(first());
    EXPECT_EQ(tagcfg_get_channel_id(env, 0, 17, "Pump1", buffer, sizeof buffer), 8);
    EXPECT_STREQ(buffer, "Pumps.P1");
    EXPECT_TRUE(first().modified);  // the lookup bound Pump1 to 17
    EXPECT_EQ(tagcfg_get_channel_access_path(env, 0, 17, nullptr, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "Line1");
    EXPECT_EQ(tagcfg_find_channel(env, "Pumps.P1"), 17);

    tagcfg_add_channel(env, 2, 4, "Valve");
    EXPECT_EQ(tagcfg_find_channel(env, "Valve"), 4);
    tagcfg_add_channel(env, 2, 4, "");  // an empty item ID removes the channel
    EXPECT_EQ(tagcfg_find_channel(env, "Valve"), -1);
    EXPECT_EQ(tagcfg_remove_channel(env, 0, 17, nullptr), 0);
    EXPECT_EQ(tagcfg_get_channel_id(env, 0, 17, nullptr, buffer, sizeof buffer), 0);
}

TEST_F(ExportsTest, FindChannelSkipsChannelsWithoutANumber) {
    test::add_parsed(first(), -1, "OnlyName", "Item.A");
    rebuild_indexes(first());
    EXPECT_EQ(tagcfg_find_channel(env, "Item.A"), -1);
}

TEST_F(ExportsTest, CleanUpCycleKeepsOnlyMarkedChannels) {
    tagcfg_add_channel(env, 0, 1, "a");
    tagcfg_add_channel(env, 0, 2, "b");
    tagcfg_add_channel(env, 2, 3, "c");
    first().modified = last().modified = false;
    tagcfg_start_gc(env);
    EXPECT_NE(tagcfg_mark_channel(env, 0, 2, nullptr), 0);
    EXPECT_NE(tagcfg_mark_channel(env, 0, 2, nullptr), 0);  // twice stays marked
    EXPECT_EQ(tagcfg_mark_channel(env, 0, 9, nullptr), 0);
    tagcfg_finish_gc(env);
    EXPECT_EQ(tagcfg_find_channel(env, "a"), -1);
    EXPECT_EQ(tagcfg_find_channel(env, "b"), 2);
    EXPECT_EQ(tagcfg_find_channel(env, "c"), -1);
    EXPECT_TRUE(first().modified);
    EXPECT_TRUE(last().modified);
}

TEST_F(ExportsTest, ClearEmptiesTheTableAndTheStoredLocation) {
    env->env.directory = "dir";
    tagcfg_clear(env);
    EXPECT_TRUE(env->env.servers.empty());
    EXPECT_EQ(env->env.directory, "");
    EXPECT_EQ(tagcfg_get_server_name(env, 0, buffer, sizeof buffer), 0);
}

TEST(ItemListExports, CopyOutEachIdAndRejectBadIndexes) {
    auto *list = new tagcfg_itemlist{{"A.B", std::string(300, 'x')}};
    char buffer[256];
    EXPECT_EQ(tagcfg_itemlist_size(list), 2);
    EXPECT_EQ(tagcfg_itemlist_get_id(list, 0, buffer, sizeof buffer), 3);
    EXPECT_EQ(tagcfg_itemlist_get_id(list, 1, buffer, sizeof buffer), 255);
    EXPECT_EQ(tagcfg_itemlist_get_id(list, 2, buffer, sizeof buffer), 0);
    EXPECT_EQ(tagcfg_itemlist_get_id(list, -1, buffer, sizeof buffer), 0);
    tagcfg_itemlist_free(list);
}
