// Where channel texts live and how the indexes are built over them: a read file's bytes used in
// place, dead text dropped at a save, the one-step index build against insertion one by one, and
// the name cache of the name index.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/channel_store.h"  // the indexes themselves, which these tests prove
#include "storage/server_file.h"
#include "test_support.h"

using namespace tagcfg;

namespace {

template <typename Index>
void expect_same_chains(const Index &built, const Index &inserted) {
    ASSERT_EQ(built.bucket_count(), inserted.bucket_count());
    ASSERT_EQ(built.growth_threshold(), inserted.growth_threshold());
    ASSERT_EQ(built.entry_count(), inserted.entry_count());
    for (uint32_t b = 0; b < built.bucket_count(); ++b) ASSERT_EQ(built.chain(b), inserted.chain(b)) << "bucket " << b;
}

}  // namespace

// Few distinct keys, so equal keys share chains through many growths, from a fresh index and
// from one a cleared index left grown. The long names hash alike (only every second byte counts).
TEST(IndexBuild, OneStepBuildGivesTheChainsOfInsertionOneByOne) {
    const char *const names[] = {"A", "B", "Pump0001", "Pump00017", "xxxxxxxxxxxxxxxa", "yxxxxxxxxxxxxxxa"};
    std::mt19937 random(17);
    for (int run = 0; run < 40; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        RecordRef<ServerConfig> config = test::make_server();
        ChannelTable &table = table_of(*config);
        auto make = [&](int32_t id, const std::string &name) {
            Channel *channel = table.channels.append();
            channel->channel_id = id;
            channel->channel_name = table.texts.store(name);
            return channel;
        };
        Channel *filler = make(0, "");  // what grows an index first
        const size_t count = random() % (run < 30 ? 200 : 6000);
        const uint32_t distinct = 1 + random() % (run % 2 ? 8 : 3000);
        std::vector<IdIndex::Pending> ids;
        std::vector<NameIndex::Pending> named;
        for (size_t i = 0; i < count; ++i) {
            Channel *c = make(static_cast<int32_t>(random() % distinct),
                              names[random() % 6] + std::to_string(random() % distinct));
            ids.push_back({c->channel_id, ChannelList::place(*c), true});
            named.push_back({c->channel_name, ChannelList::place(*c), true});
        }
        const size_t grown_first = random() % 3 ? 0 : random() % 100;
        IdIndex built_ids(table.channels), inserted_ids(table.channels);
        NameIndex built_names(table.channels), inserted_names(table.channels);
        for (size_t i = 0; i < grown_first; ++i) {
            built_ids.insert(0, filler);
            inserted_ids.insert(0, filler);
        }
        inserted_ids.clear();
        built_ids.build(ids);
        built_names.build(named);
        for (const auto &p : ids) inserted_ids.insert(p.key, table.channels.at(p.place));
        for (const auto &p : named) inserted_names.insert(p.key, table.channels.at(p.place));
        ASSERT_NO_FATAL_FAILURE(expect_same_chains(built_ids, inserted_ids));
        ASSERT_NO_FATAL_FAILURE(expect_same_chains(built_names, inserted_names));
    }
}

// The name cache holds a name's first and last 8 bytes: shorter names are told apart by their
// length, names up to 16 bytes by the cache alone, also where the hash and the first 8 bytes agree
// (byte 8 of a 16-byte name is not hashed), longer ones by their middle, also where the hash and
// the cache agree (byte 9 of a 24-byte name is not hashed).
TEST(IndexBuild, NameCacheFindsEachNameAndNoOther) {
    const std::string long_name(24, 'x');
    std::string long_twin = long_name;
    long_twin[9] = 'y';
    const std::vector<std::string> stored = {"P",         "Pump",      "Pump0000",         "Pump00001",
                                             "Pump00002", "Pump0000x", "xxxxxxxxxxxxxxxx", "xxxxxxxxyxxxxxxx",
                                             long_name};
    ASSERT_EQ(text_hash(stored[6]), text_hash(stored[7]));
    ASSERT_EQ(text_hash(long_name), text_hash(long_twin));
    RecordRef<ServerConfig> config = test::make_server();
    for (const std::string &name : stored) test::add_parsed(*config, -1, name, "I." + name);
    rebuild_indexes(*config);
    auto item_of = [&](const std::string &name) {
        const Channel *found = table_of(*config).name_index.find(name);
        return found ? found->item_id.str() : "none";
    };
    for (const std::string &name : stored) EXPECT_EQ(item_of(name), "I." + name);
    const std::vector<std::string> absent = {
        "", "Pu", "Pump000", "Pump00003", "Pump0000y", "xxxxxxxxzxxxxxxx", "Pump00001 ", long_twin};
    for (const std::string &name : absent) EXPECT_EQ(item_of(name), "none") << name;
}

// A file's texts are copied into one block no larger than they are; replaced texts pile up in the
// arena until they outweigh the live ones, and the save after that moves the live ones into a
// fresh arena: the same bytes are written, and the name index still finds every name.
TEST(TextArena, FileTextsTakeNoMoreThanTheyAreAndDeadTextCompactsAtASave) {
    const std::string file = test::lines({"%%OPC_SERVER_CONFIG", "%CHANNEL:Pump0000001  ", "ID:Plant.P1", "",
                                          "%CHANID:7", "ID:Plant.P7\t", "ACCPATH:Line", "%CHANNEL:Short", "ID:x"},
                                         "\r\n") +
                             "%CHANNEL:Last";
    RecordRef<ServerConfig> config = test::make_server();
    ASSERT_TRUE(parse_server_config(*config, file.data(), file.size()));
    EXPECT_EQ(text_bytes_held(*config), std::string("Pump0000001 Plant.P1 Plant.P7 Line Short x Last ").size());

    const Channel *seven = lookup_channel(*config, 7, nullptr);
    const size_t live = text_bytes_held(*config);

    store_channel(*config, {7, "", "Plant.P7.0", "Line"});
    const size_t after_one = text_bytes_held(*config);
    compact_texts(*config);  // less dead text than live: kept
    EXPECT_EQ(text_bytes_held(*config), after_one);
    for (const char *id : {"Plant.P7.1", "Plant.P7.2", "Plant.P7.0"}) store_channel(*config, {7, "", id, "Line"});
    const size_t dead = text_bytes_held(*config) - (live + 2);  // outweighs the live text, not twice over
    EXPECT_GT(dead, live + 2);
    EXPECT_LT(dead, 2 * (live + 2));
    const std::string path = testing::TempDir() + "tagcfg_arena_test.cfg";
    ASSERT_TRUE(write_server_file(*config, path));
    std::remove(path.c_str());
    EXPECT_EQ(text_bytes_held(*config), live + 2);  // "Plant.P7.0" in place of "Plant.P7"
    EXPECT_EQ(lookup_channel(*config, 7, nullptr), seven);
    EXPECT_EQ(seven->item_id, "Plant.P7.0");
    for (const char *name : {"Pump0000001", "Short", "Last"})
        EXPECT_EQ(lookup_channel(*config, -1, name) ? lookup_channel(*config, -1, name)->channel_name.str() : "", name);
}

// The bucket of a hash is its remainder, computed without a division: exact at every bucket count
// an index can reach, for hashes at and beside each multiple and at the ends of the range.
TEST(IndexBuild, BucketOfAHashIsItsRemainder) {
    std::mt19937 random(3);
    for (uint32_t count = kInitialBucketCount; count < 0x40000000u; count = grown_bucket_count(2 * count)) {
        const Remainder bucket_of(count);
        for (uint32_t hash : {0u, 1u, count - 1, count, count + 1, 0xFFFFFFFFu, 0xFFFFFFFFu - count, 0x80000000u})
            ASSERT_EQ(bucket_of(hash), hash % count) << hash << " % " << count;
        for (int i = 0; i < 10000; ++i) {
            const uint32_t hash = static_cast<uint32_t>(random());
            ASSERT_EQ(bucket_of(hash), hash % count) << hash << " % " << count;
        }
    }
}
