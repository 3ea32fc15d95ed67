// The host's view: the copy-out rule, failure values and the exports over a server table of
// [server, empty, server]. (The host program's tests reach the shared library by these names.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>

#include "frame/copy_out.h"
#include "frame/handles.h"
#include "opc/connect.h"
#include "platform/sim/sim_platform.h"
#include "tagcfg.h"
#include "temp_dir.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;

namespace {

// Eight bytes as a test writes them: "." stands for a zero byte.
std::string bytes(const char *text) {
    std::string out(text);
    std::replace(out.begin(), out.end(), '.', '\0');
    return out;
}

int *ints(char *bytes) { return reinterpret_cast<int *>(bytes); }

class ExportsTest : public ::testing::Test {
protected:
    void SetUp() override {
        env->environment.servers.resize(3);
        env->environment.servers[0] = test::make_server();
        env->environment.servers[2] = test::make_server();
        first().progid = "Sim.First.1";
        first().hostname = "PLANT1";
    }
    void TearDown() override {
        tagcfg_free_environment(env);
        EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
        sim::reset();
    }
    ServerConfig &first() { return *env->environment.servers[0]; }
    ServerConfig &last() { return *env->environment.servers[2]; }

    tagcfg_environment *env = tagcfg_init_environment();
    alignas(int) char buffer[64];
};

}  // namespace

// Into a buffer of 'Z's: the text cut to size - 1 bytes, never inside a double-byte character,
// the rest of the size zeroed; a failure (no text) zeroes only the first and the last byte.
TEST(CopyOut, Table) {
    const char dbcs[] = "a\x82\xA0\x82\xA2";  // 'a' and two characters of code page 932
    const struct {
        bool double_byte;
        const char *text;
        int size, result;
        const char *buffer;
    } cases[] = {
        {false, "abcdefg", 8, 7, "abcdefg."},
        {false, "abcdefgh", 8, 7, "abcdefg."},
        {false, "ab", 8, 2, "ab......"},
        {false, "ab", 1, 0, ".ZZZZZZZ"},
        {false, nullptr, 8, 0, ".ZZZZZZ."},
        {false, "ab", 0, 0, "ZZZZZZZZ"},
        {false, "ab", -5, 0, "ZZZZZZZZ"},
        {false, dbcs, 3, 2, "a\x82.ZZZZZ"},
        {true, dbcs, 3, 1, "a..ZZZZZ"},
        {true, dbcs, 4, 3, "a\x82\xA0.ZZZZ"},
        // A trail byte that looks like a lead byte is still a trail byte.
        {true, "\x81\x81X", 3, 2, "\x81\x81.ZZZZZ"},
    };
    for (const auto &c : cases) {
        sim::reset();
        if (c.double_byte) sim::set_lead_byte_ranges(sim::code_page_932_lead_bytes());
        char buffer[8];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(copy_out(c.text, buffer, c.size), c.result) << c.buffer;
        EXPECT_EQ(std::string(buffer, 8), bytes(c.buffer));
    }
    sim::reset();
    EXPECT_EQ(copy_out("abc", nullptr, 10), 0);
}

// A null handle, a number below 0, an empty slot and a number past the table fail alike, with
// the failure value, leaving the empty text by the first and last byte of a buffer.
TEST_F(ExportsTest, EveryMissingServerFailsWithItsPlainValue) {
    using Call = std::function<int(tagcfg_environment *, int, char *)>;
    const std::tuple<int, bool, Call> calls[] = {
        {0, true, [](auto *e, int n, char *b) { return tagcfg_get_server_name(e, n, b, 8); }},
        {0, true, [](auto *e, int n, char *b) { return tagcfg_get_server_host(e, n, b, 8); }},
        {0, true, [](auto *e, int n, char *b) { return tagcfg_get_channel_id(e, n, 1, "x", b, 8); }},
        {0, true, [](auto *e, int n, char *b) { return tagcfg_get_channel_access_path(e, n, 1, "x", b, 8); }},
        {-1, true, [](auto *e, int n, char *b) { return tagcfg_select_channel(e, n, 1, "x", b, 8, nullptr); }},
        {-1, false, [](auto *e, int n, char *b) { return tagcfg_get_server_type(e, n, ints(b), ints(b + 4)); }},
        {-1, false, [](auto *e, int n, char *) { return tagcfg_set_server_host(e, n, "H"); }},
        {-1, false, [](auto *e, int n, char *) { return tagcfg_remove_channel(e, n, 1, nullptr); }},
        {0, false, [](auto *e, int n, char *) { return tagcfg_mark_channel(e, n, 1, nullptr); }},
        {-1, false, [](auto *e, int n, char *) { return tagcfg_select_server(e, n, nullptr); }},
        {0, false, [](auto *e, int n, char *) { return tagcfg_select_items(e, n, nullptr) ? 1 : 0; }},
    };
    for (tagcfg_environment *handle : {env, static_cast<tagcfg_environment *>(nullptr)})
        for (int number : {-1, 1, 3})
            for (const auto &[failure, writes, call] : calls) {
                std::memset(buffer, 'Z', 9);
                EXPECT_EQ(call(handle, number, buffer), failure) << number;
                EXPECT_EQ(std::string(buffer, 9), bytes(writes ? ".ZZZZZZ.Z" : "ZZZZZZZZZ")) << number;
            }
    EXPECT_EQ(tagcfg_load(nullptr, "", ""), -1);
    EXPECT_EQ(tagcfg_save(nullptr, "", "", 0, 1), -1);
    EXPECT_EQ(tagcfg_find_channel(nullptr, "x"), -1);
    EXPECT_EQ(tagcfg_itemlist_size(nullptr), 0);
    EXPECT_EQ(tagcfg_itemlist_get_id(nullptr, 0, buffer, 8), 0);
    for (auto *nothing : {tagcfg_free_environment, tagcfg_clear, tagcfg_start_gc, tagcfg_finish_gc}) nothing(nullptr);
    tagcfg_itemlist_free(nullptr);
}

TEST_F(ExportsTest, ServerTextsAndType) {
    EXPECT_EQ(tagcfg_get_server_name(env, 0, buffer, sizeof buffer), 11);
    EXPECT_STREQ(buffer, "Sim.First.1");
    EXPECT_EQ(tagcfg_get_server_host(env, 0, buffer, sizeof buffer), 6);
    EXPECT_EQ(tagcfg_get_server_host(env, 2, buffer, sizeof buffer), 0);
    EXPECT_EQ(tagcfg_get_server_name(env, 2, buffer, sizeof buffer), 0);  // no ProgID, no CLSID

    // Type 1 for the one fixed class, found from the CLSID text, else the ProgID.
    const platform::Guid special = {0xD5238CB9, 0xAEBE, 0x11D2, {0xB5, 0xE1, 0x00, 0x40, 0x95, 0x24, 0xE7, 0x3B}};
    sim::register_progid("Special.Server.1", special);
    int type = -1, count = -1;
    EXPECT_EQ(tagcfg_get_server_type(env, 2, &type, &count), 0);
    EXPECT_EQ(std::make_pair(type, count), std::make_pair(0, 0));
    last().progid = "Special.Server.1";
    tagcfg_add_channel(env, 2, 5, "Item");
    EXPECT_EQ(tagcfg_get_server_type(env, 2, nullptr, &count), 0);
    EXPECT_EQ(tagcfg_get_server_type(env, 2, &type, nullptr), 0);
    EXPECT_EQ(std::make_pair(type, count), std::make_pair(1, 1));
    // The CLSID text wins even when it does not convert.
    for (const auto &[clsid, expected] :
         {std::pair("not a clsid", 0), std::pair("{d5238cb9-aebe-11d2-b5e1-00409524e73b}", 1)}) {
        last().clsid = clsid;
        EXPECT_EQ(tagcfg_get_server_type(env, 2, &type, nullptr), 0);
        EXPECT_EQ(type, expected) << clsid;
    }
    EXPECT_EQ(sim::opc_calls().creations, 0);  // asking the type connects nothing
}

// A new computer name drops the server object held for the old one, so that the next use
// connects to the new computer; the same name, byte for byte, keeps it and changes nothing.
TEST_F(ExportsTest, HostChangeReleasesTheServerObjectOfTheOldComputer) {
    ASSERT_TRUE(sim::register_server("Sim.First.1", {0x1111, 1, 1, {1}}, "leaf First"));
    sim::set_computer_name("PLANT1");
    ASSERT_TRUE(connect_server(first()));  // as the dialogs connect
    platform::ServerObject *held = first().server_object;
    EXPECT_EQ(tagcfg_set_server_host(env, 0, "PLANT1"), 0);
    EXPECT_EQ(first().server_object, held);
    EXPECT_FALSE(first().modified);
    EXPECT_EQ(sim::opc_calls().live_server_objects, 1);

    EXPECT_EQ(tagcfg_set_server_host(env, 0, "plant1"), 0);  // another computer for the library
    EXPECT_EQ(first().server_object, nullptr);
    EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
    EXPECT_TRUE(first().modified);
    EXPECT_EQ(first().hostname, "plant1");
    ASSERT_TRUE(connect_server(first()));
    EXPECT_EQ(sim::opc_calls().creations, 2);
    EXPECT_EQ(tagcfg_set_server_host(env, 0, nullptr), -1);
}

TEST_F(ExportsTest, ChannelExportsReachTheTable) {
    test::add_parsed(first(), -1, "Pump1", "Pumps.P1", "Line1");
    test::add_parsed(first(), -1, "OnlyName", "Item.A");
    rebuild_indexes(first());
    EXPECT_EQ(tagcfg_find_channel(env, "Item.A"), -1);  // a channel without a number is never found
    EXPECT_EQ(tagcfg_get_channel_id(env, 0, 17, "Pump1", buffer, sizeof buffer), 8);
    EXPECT_STREQ(buffer, "Pumps.P1");
    EXPECT_TRUE(first().modified);  // the lookup bound Pump1 to 17
    EXPECT_EQ(tagcfg_get_channel_access_path(env, 0, 17, nullptr, buffer, sizeof buffer), 5);
    EXPECT_STREQ(buffer, "Line1");
    EXPECT_EQ(tagcfg_find_channel(env, "Pumps.P1"), 17);

    tagcfg_add_channel(env, 2, 4, "Valve");
    tagcfg_add_channel(env, 2, 5, nullptr);
    EXPECT_EQ(tagcfg_find_channel(env, "Valve"), 4);
    tagcfg_add_channel(env, 2, 4, "");  // an empty item ID removes the channel
    EXPECT_EQ(tagcfg_find_channel(env, "Valve"), -1);
    EXPECT_EQ(last().channel_count(), 0u);
    EXPECT_EQ(tagcfg_remove_channel(env, 0, 17, nullptr), 0);
    EXPECT_EQ(tagcfg_get_channel_id(env, 0, 17, nullptr, buffer, sizeof buffer), 0);
    EXPECT_EQ(tagcfg_find_channel(env, nullptr), -1);
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
    EXPECT_EQ(tagcfg_find_channel(env, "a") + tagcfg_find_channel(env, "c"), -2);
    EXPECT_EQ(tagcfg_find_channel(env, "b"), 2);
    EXPECT_TRUE(first().modified && last().modified);

    env->environment.directory = "dir";
    tagcfg_clear(env);
    EXPECT_TRUE(env->environment.servers.empty());
    EXPECT_EQ(env->environment.directory, "");
}

// The fourth argument of a save means nothing: only the server that changed is written, beside
// the lock file the save held meanwhile.
TEST_F(ExportsTest, SaveIgnoresItsFourthArgument) {
    test::TempDir dir;
    tagcfg_add_channel(env, 2, 1, "Item");
    EXPECT_EQ(tagcfg_save(env, dir.path().c_str(), "p", 0x5A5A, 0), 0);
    EXPECT_EQ(dir.get("p_opc2.cnf"), "%%OPC_SERVER_CONFIG\r\n\r\n\r\n%CHANID:1\r\nID:Item\r\n\r\n");
    EXPECT_EQ(dir.snapshot().size(), 2u);
    EXPECT_EQ(dir.get("p_opc.lock"), "");
}

TEST(ItemListExports, CopyOutEachIdAndRejectBadIndexes) {
    auto *list = new tagcfg_itemlist{{"A.B", std::string(300, 'x'), "C.D"}};
    list->item_ids.pop_back();  // its bytes stay just past the end, where no index may reach
    char buffer[256];
    EXPECT_EQ(tagcfg_itemlist_size(list), 2);
    EXPECT_EQ(tagcfg_itemlist_get_id(list, 0, buffer, sizeof buffer), 3);
    EXPECT_EQ(tagcfg_itemlist_get_id(list, 1, buffer, sizeof buffer), 255);
    EXPECT_EQ(tagcfg_itemlist_get_id(list, 2, buffer, sizeof buffer), 0);
    EXPECT_EQ(tagcfg_itemlist_get_id(list, -1, buffer, sizeof buffer), 0);
    tagcfg_itemlist_free(list);
}
