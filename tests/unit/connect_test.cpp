// Which server object a configuration gets, from where, and the text and CLSID conversions.
#include <gtest/gtest.h>

#include "opc/connect.h"
#include "opc/opc_util.h"
#include "platform/opc.h"
#include "platform/sim/sim_platform.h"
#include "test_support.h"

using namespace tagcfg;
namespace sim = tagcfg::platform::sim;

namespace {

const platform::Guid kFirst = {0x11111111, 0x1111, 0x1111, {1, 1, 1, 1, 1, 1, 1, 1}};
const platform::Guid kSecond = {0x22222222, 0x2222, 0x2222, {2, 2, 2, 2, 2, 2, 2, 2}};
const char kFirstText[] = "{11111111-1111-1111-0101-010101010101}";

class ConnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim::register_server("Sim.First.1", kFirst, "leaf First"));
        ASSERT_TRUE(sim::register_server("Sim.Second.1", kSecond, "leaf Second"));
        sim::set_computer_name("PLANT1");
        sim::add_remote_host("plant2");
    }
    void TearDown() override { sim::reset(); }

    // Which registered server the held object serves, by the one leaf at its top.
    static std::string served(const ServerConfig &config) {
        int32_t result = 0;
        auto browse = platform::query_browse_source(config.server_object, &result);
        char16_t *name = nullptr;
        browse->browse_item_ids(platform::kOpcLeaf, &result)->next(&name);
        std::string text;
        to_narrow(name, std::char_traits<char16_t>::length(name), text);
        free_task_memory(name);
        return text;
    }
};

}  // namespace

// The class comes from the CLSID text, else the ProgID; the object is made on this computer for
// an empty host or this computer's name in any letter case, else on the named computer.
TEST_F(ConnectTest, ClassAndComputer) {
    const struct {
        std::string clsid, progid, host;
        const char *served;  // null: no connection
        int local, remote;
    } cases[] = {
        {kFirstText, "Sim.Second.1", "", "First", 1, 0},
        {"", "Sim.Second.1", "", "Second", 1, 0},
        {"", "Sim.First.1", "plant1", "First", 1, 0},
        {"", "Sim.First.1", "plant2", "First", 0, 1},
        {"", "", "", nullptr, 0, 0},  // no platform call at all
        {"{not a clsid}", "Sim.First.1", "", nullptr, 0, 0},
        {"", "Sim.Unknown.1", "", nullptr, 0, 0},
        {"", "Sim.First.1", "127.0.0.1", nullptr, 0, 1},            // no other name of this computer counts as local
        {"", "Sim.First.1", std::string(300, 'H'), nullptr, 0, 0},  // longer than any computer name
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.clsid + " " + c.progid + " " + c.host);
        auto server = test::make_server();
        std::tie(server->clsid, server->progid, server->hostname) = std::tie(c.clsid, c.progid, c.host);
        const sim::OpcCalls before = sim::opc_calls();
        EXPECT_EQ(connect_server(*server) ? served(*server) : "none", c.served ? c.served : "none");
        EXPECT_EQ(server->server_object != nullptr, c.served != nullptr);
        EXPECT_EQ(sim::opc_calls().local_creations - before.local_creations, c.local);
        EXPECT_EQ(sim::opc_calls().remote_creations - before.remote_creations, c.remote);
        EXPECT_EQ(sim::opc_calls().last_remote_host, c.remote ? c.host : before.last_remote_host);
    }
}

// The held object is used again without any call, until it is given back.
TEST_F(ConnectTest, HeldObjectIsReusedUntilDisconnected) {
    auto server = test::make_server();
    server->progid = "Sim.First.1";
    ASSERT_TRUE(connect_server(*server));
    platform::ServerObject *held = server->server_object;
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(server->server_object, held);
    EXPECT_EQ(sim::opc_calls().creations, 1);
    disconnect_server(*server);
    sim::set_com_initialised(false);  // the host must have entered COM
    EXPECT_FALSE(connect_server(*server));
    EXPECT_EQ(server->server_object, nullptr);
}

// Only the answers of a server that is gone let the held object go; a busy or failing one keeps it.
TEST(Connect, OnlyTheCodesOfAGoneServerCountAsDead) {
    for (uint32_t code : {0x80010108u, 0x80010007u, 0x80010012u, 0x800706BAu})
        EXPECT_TRUE(is_dead_object_result(static_cast<int32_t>(code))) << std::hex << code;
    for (uint32_t code : {0x80010001u, 0x80004005u, 0x00000001u, 0u})  // rejected, failed, S_FALSE, S_OK
        EXPECT_FALSE(is_dead_object_result(static_cast<int32_t>(code))) << std::hex << code;
}

// Narrow text takes the bytes the code page needs, and back. (CLSID texts: the server list tests.)
TEST(OpcUtil, TextConversionsFollowTheCodePage) {
    std::string text;
    std::u16string wide;
    sim::set_lead_byte_ranges(sim::code_page_932_lead_bytes());
    const char16_t kana[] = {0x82A0, 0x82A2, 0x82A4};
    to_narrow(kana, 3, text);
    EXPECT_EQ(text, "\x82\xA0\x82\xA2\x82\xA4");
    to_wide(text.c_str(), text.size(), wide);
    EXPECT_EQ(wide, std::u16string(kana, 3));
    sim::reset();
}
