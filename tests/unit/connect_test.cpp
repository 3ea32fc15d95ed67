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
        sim::add_remote_host("PLANT2");
    }
    void TearDown() override {
        server.reset();
        EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
        sim::reset();
    }
    // Which registered server the held object serves, by the name at its top level.
    std::string served() {
        int32_t result = 0;
        auto browse = platform::query_browse_source(server->server_object, &result);
        char16_t *name = nullptr;
        browse->browse_item_ids(platform::kOpcLeaf, &result)->next(&name);
        std::string text;
        to_narrow(name, std::char_traits<char16_t>::length(name), text);
        free_task_memory(name);
        return text;
    }

    RecordRef<ServerConfig> server = test::make_server();
};

}  // namespace

TEST_F(ConnectTest, ClsidTextWinsOverAProgIdOfAnotherClass) {
    server->clsid = kFirstText;
    server->progid = "Sim.Second.1";
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(served(), "First");
    EXPECT_EQ(sim::opc_calls().local_creations, 1);
}

TEST_F(ConnectTest, ProgIdServesWhenThereIsNoClsid) {
    server->progid = "Sim.Second.1";
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(served(), "Second");
}

TEST_F(ConnectTest, NoIdentityMeansNoPlatformCall) {
    EXPECT_FALSE(connect_server(*server));
    EXPECT_EQ(sim::opc_calls().creations, 0);
    server->clsid = "{not a clsid}";
    server->progid = "Sim.First.1";
    EXPECT_FALSE(connect_server(*server));  // the CLSID text wins even when it does not convert
    EXPECT_EQ(sim::opc_calls().creations, 0);
}

TEST_F(ConnectTest, HeldObjectIsReusedUntilDisconnected) {
    server->progid = "Sim.First.1";
    ASSERT_TRUE(connect_server(*server));
    platform::ServerObject *held = server->server_object;
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(server->server_object, held);
    EXPECT_EQ(sim::opc_calls().creations, 1);
    disconnect_server(*server);
    EXPECT_EQ(sim::opc_calls().live_server_objects, 0);
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(sim::opc_calls().creations, 2);
}

TEST_F(ConnectTest, OwnNameInAnyCaseIsLocalAnyOtherIsRemote) {
    server->progid = "Sim.First.1";
    server->hostname = "plant1";
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(sim::opc_calls().local_creations, 1);
    disconnect_server(*server);
    server->hostname = "plant2";
    ASSERT_TRUE(connect_server(*server));
    EXPECT_EQ(sim::opc_calls().remote_creations, 1);
    EXPECT_EQ(sim::opc_calls().last_remote_host, "plant2");
    disconnect_server(*server);
    server->hostname = "127.0.0.1";  // no other name of this computer counts as local
    EXPECT_FALSE(connect_server(*server));
    EXPECT_EQ(server->server_object, nullptr);
    EXPECT_EQ(sim::opc_calls().remote_creations, 2);
}

TEST_F(ConnectTest, FailuresLeaveTheServerUnconnected) {
    server->progid = "Sim.Unknown.1";
    EXPECT_FALSE(connect_server(*server));
    server->progid = "Sim.First.1";
    sim::set_com_initialised(false);
    EXPECT_FALSE(connect_server(*server));
    EXPECT_EQ(server->server_object, nullptr);
    sim::set_com_initialised(true);
    server->hostname = std::string(300, 'H');  // longer than any computer name
    EXPECT_FALSE(connect_server(*server));
}

TEST(OpcUtil, ConversionsRoundTrip) {
    platform::Guid clsid;
    ASSERT_EQ(clsid_from_text(kFirstText, clsid), 0);
    EXPECT_EQ(clsid, kFirst);
    std::string text;
    ASSERT_EQ(clsid_to_text(kSecond, text), 0);
    EXPECT_EQ(text.size(), 38u);
    ASSERT_EQ(clsid_from_text(text, clsid), 0);
    EXPECT_EQ(clsid, kSecond);
    EXPECT_LT(clsid_from_progid("", clsid), 0);

    std::u16string wide;
    to_wide("", 0, wide);
    EXPECT_TRUE(wide.empty());
    to_narrow(u"", 0, text);
    EXPECT_TRUE(text.empty());
}

TEST(OpcUtil, NarrowingSizesItsBufferFromTheCodePage) {
    sim::set_lead_byte_ranges(sim::code_page_932_lead_bytes());
    const char16_t wide[] = {0x82A0, 0x82A2, 0x82A4};  // each two bytes in the code page
    std::string narrow;
    to_narrow(wide, 3, narrow);
    EXPECT_EQ(narrow, "\x82\xA0\x82\xA2\x82\xA4");
    std::u16string back;
    to_wide(narrow.c_str(), narrow.size(), back);
    EXPECT_EQ(back, std::u16string(wide, 3));
    sim::reset();
}
