#include <gtest/gtest.h>

#include "model/environment.h"
#include "test_support.h"

using namespace tagcfg;
using namespace tagcfg::test;

namespace {

// Counts destructions so tests can see when a record dies.
class Probe : public CountedRecord {
public:
    explicit Probe(int &destroyed) : destroyed_(destroyed) {}

protected:
    ~Probe() override { ++destroyed_; }

private:
    int &destroyed_;
};

std::vector<bool> occupancy(const Environment &env) {
    std::vector<bool> slots;
    for (const auto &slot : env.servers) slots.push_back(static_cast<bool>(slot));
    return slots;
}

}  // namespace

TEST(CountedRecord, LastReleaseDestroysAndAnUnheldRecordDiesOnItsFirstRelease) {
    int destroyed = 0;
    {
        RecordRef<Probe> a(new Probe(destroyed));
        RecordRef<Probe> b = a;
        EXPECT_EQ(a->reference_count(), 2);
        a.reset();
        EXPECT_EQ(destroyed, 0);
        RecordRef<Probe> c;
        c = b;
        b = RecordRef<Probe>();
        EXPECT_EQ(c->reference_count(), 1);
    }
    EXPECT_EQ(destroyed, 1);
    (new Probe(destroyed))->release();
    EXPECT_EQ(destroyed, 2);
}

TEST(ServerConfig, NewRecordIsEmpty) {
    auto server = make_server();
    EXPECT_EQ(server->channels.size(), 0u);
    EXPECT_EQ(server->identity_text(), "");
    EXPECT_EQ(server->id_index.bucket_count(), 13u);
    EXPECT_EQ(server->name_index.growth_threshold(), 9u);
    EXPECT_FALSE(server->modified);
}

TEST(ServerConfig, IdentityIsTheProgIdWhenThereIsOne) {
    auto server = make_server();
    server->clsid = "{00000000-0000-0000-0000-000000000001}";
    EXPECT_EQ(server->identity_text(), server->clsid);
    server->progid = "Vendor.Server.1";
    EXPECT_EQ(server->identity_text(), "Vendor.Server.1");
}

TEST(ServerConfig, ResetEmptiesEverythingButKeepsIndexSizes) {
    auto server = make_server();
    server->progid = "P";
    server->channel_format = "F";
    for (int i = 0; i < 12; ++i) store_channel(*server, numbered(i, "x"));
    reset_server(*server);
    EXPECT_EQ(server->progid, "");
    EXPECT_EQ(server->channel_format, "");
    EXPECT_EQ(server->channels.size(), 0u);
    EXPECT_EQ(server->id_index.entry_count(), 0u);
    EXPECT_EQ(server->id_index.bucket_count(), 31u);
    EXPECT_FALSE(server->modified);
}

TEST(Environment, ServerAtRejectsEveryNumberWithoutAServer) {
    Environment env;
    EXPECT_EQ(server_at(nullptr, 0), nullptr);
    EXPECT_EQ(server_at(&env, 0), nullptr);
    env.servers.resize(2);
    env.servers[1] = make_server();
    EXPECT_EQ(server_at(&env, -1), nullptr);
    EXPECT_EQ(server_at(&env, 0), nullptr);
    EXPECT_NE(server_at(&env, 1), nullptr);
    EXPECT_EQ(server_at(&env, 2), nullptr);
}

TEST(Environment, RemoveServerEmptiesMiddleSlotsAndTrimsTheEnd) {
    Environment env;
    for (int i = 0; i < 3; ++i) env.servers.push_back(make_server());
    remove_server(env, 1);
    EXPECT_EQ(occupancy(env), (std::vector<bool>{true, false, true}));
    remove_server(env, 2);
    EXPECT_EQ(occupancy(env), (std::vector<bool>{true}));
    remove_server(env, 5);
    remove_server(env, -1);
    EXPECT_EQ(env.servers.size(), 1u);
    remove_server(env, 0);
    EXPECT_TRUE(env.servers.empty());
}

TEST(Environment, RemovingAnEmptyLastSlotStillTrims) {
    Environment env;
    env.servers.resize(4);
    env.servers[0] = make_server();
    remove_server(env, 3);
    EXPECT_EQ(occupancy(env), (std::vector<bool>{true}));
}

// Slots up to the highest number whose file failed to read stay, so Add never lands on one; a
// clear forgets them, but not that the last load could not list its directory.
TEST(Environment, TheSlotsOfFilesThatFailedToReadStayUntilCleared) {
    Environment env;
    env.servers.resize(6);
    env.servers[1] = make_server();
    env.servers[5] = make_server();
    env.kept_slots = 4;
    env.listing_failed = true;
    remove_server(env, 5);
    EXPECT_EQ(occupancy(env), (std::vector<bool>{false, true, false, false}));
    remove_server(env, 3);
    remove_server(env, 1);
    EXPECT_EQ(env.servers.size(), 4u);
    clear_environment(env);
    EXPECT_EQ(env.kept_slots, 0u);
    EXPECT_TRUE(env.listing_failed);
}

TEST(Environment, RemovedServerDiesWhenNoFlowHoldsIt) {
    Environment env;
    auto held = make_server();
    env.servers.push_back(held);
    EXPECT_EQ(held->reference_count(), 2);
    remove_server(env, 0);
    EXPECT_EQ(held->reference_count(), 1);  // the flow's own reference keeps it alive
}
