// The channel table with its two hash indexes, and the server table, driven by random operations
// and compared after every step with a plain reference model; then what random runs rarely reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "model/channel_store.h"  // the indexes themselves, which these tests prove
#include "model/channel_table.h"
#include "model/environment.h"
#include "test_support.h"

using namespace tagcfg;

namespace {

struct RefChannel {
    int32_t id;
    std::string name, item, path;
    bool marked = true;
};

// What an index shows of its chains: the channels under each key, front of the chain first. How
// many buckets a growth picks comes from grown_bucket_count, whose sequence is an edge case below.
template <typename Key>
struct RefIndex {
    std::map<Key, std::deque<int>> keys;  // serials
    uint32_t buckets = 13;
    size_t entries = 0;

    size_t threshold() const { return buckets * 75 / 100; }
    void insert(const Key &key, int serial) {
        if (entries >= threshold()) {
            // Chain after chain moves onto the fronts of the new chains: equal keys, which share
            // their chains, come out reversed.
            buckets = grown_bucket_count(2 * buckets);
            for (auto &entry : keys) std::reverse(entry.second.begin(), entry.second.end());
        }
        keys[key].push_front(serial);
        ++entries;
    }
    void remove(int serial) {
        for (auto &entry : keys) {
            auto &chain = entry.second;
            entries -= static_cast<size_t>(std::count(chain.begin(), chain.end(), serial));
            chain.erase(std::remove(chain.begin(), chain.end(), serial), chain.end());
        }
    }
    void clear() {
        keys.clear();
        entries = 0;
    }
    int first(const Key &key) const {
        auto found = keys.find(key);
        return found == keys.end() || found->second.empty() ? -1 : found->second.front();
    }
};

// The channel table as its rules read. Channels are never freed here, only unlisted.
struct Model {
    std::vector<RefChannel> made;  // by serial
    std::vector<int> list;         // serials in list order
    RefIndex<int32_t> ids;
    RefIndex<std::string> names;
    bool modified = false;

    void append(const RefChannel &c) {
        made.push_back(c);
        list.push_back(static_cast<int>(made.size()) - 1);
    }
    void index(int serial) {
        if (made[serial].id >= 0) ids.insert(made[serial].id, serial);
        if (!made[serial].name.empty()) names.insert(made[serial].name, serial);
    }
    void remove(int serial) {
        ids.remove(serial);
        names.remove(serial);
        list.erase(std::find(list.begin(), list.end(), serial));
    }

    RefChannel *lookup(int32_t id, const char *name) {
        if (id >= 0 && ids.first(id) >= 0) return &made[ids.first(id)];
        if (!name || names.first(name) < 0) return nullptr;
        RefChannel &c = made[names.first(name)];
        if (c.id >= 0) return nullptr;  // a numbered channel is found by its number only
        if (id < 0) return &c;
        c.id = id;
        ids.insert(id, names.first(name));
        modified = true;
        return &c;
    }
    void store(int32_t id, const std::string &item, const std::string &path, const std::string &name) {
        if (item.empty()) return erase(id, name.c_str());
        if (id < 0) return;  // such a channel could never be found, written or removed
        if (ids.first(id) < 0) {
            append({id, "", item, path});  // the name is not stored
            index(list.back());
            modified = true;
        } else if (RefChannel &c = made[ids.first(id)]; c.item != item || c.path != path) {
            c.item = item;
            c.path = path;
            modified = true;
        }
    }
    void erase(int32_t id, const char *name) {
        const size_t before = list.size();
        if (name && *name && names.keys.count(name))
            for (int serial : std::deque<int>(names.keys[name]))
                if (made[serial].id < 0 || made[serial].id == id) remove(serial);
        while (ids.first(id) >= 0) remove(ids.first(id));
        if (list.size() != before) modified = true;
    }
    void sweep() {
        for (int serial : std::vector<int>(list)) {
            if (made[serial].marked) continue;
            remove(serial);
            modified = true;
        }
    }
    int32_t find_by_item(const std::string &item) const {
        for (int serial : list)
            if (made[serial].id >= 0 && made[serial].item == item) return made[serial].id;
        return -1;
    }
};

template <typename Index, typename Key>
void expect_same_index(const Index &index, const RefIndex<Key> &ref, const std::map<const Channel *, int> &serial) {
    ASSERT_EQ(std::make_tuple(index.bucket_count(), index.growth_threshold(), index.entry_count()),
              std::make_tuple(ref.buckets, ref.threshold(), ref.entries));
    for (const auto &[key, chain] : ref.keys) {
        std::deque<int> found;
        for (const Channel *c : index.find_all(key)) found.push_back(serial.at(c));
        ASSERT_EQ(found, chain) << key;
    }
}

void expect_same(const ServerConfig &config, const Model &model) {
    std::map<const Channel *, int> serial;
    auto c = config.channels().begin();
    for (int s : model.list) {
        ASSERT_TRUE(c != config.channels().end());
        const RefChannel &r = model.made[s];
        ASSERT_EQ(std::make_tuple(c->channel_id, c->channel_name.str(), c->item_id.str(), c->access_path.str(),
                                  bool(c->marked)),
                  std::tie(r.id, r.name, r.item, r.path, r.marked));
        serial[&*c] = s;
        ++c;
    }
    ASSERT_FALSE(c != config.channels().end());
    ASSERT_EQ(config.channel_count(), model.list.size());
    ASSERT_EQ(config.modified, model.modified);
    expect_same_index(table_of(config).id_index, model.ids, serial);
    expect_same_index(table_of(config).name_index, model.names, serial);
}

struct Probe : CountedRecord {
    explicit Probe(int &destroyed) : destroyed(destroyed) {}
    ~Probe() override { ++destroyed; }
    int &destroyed;
};

}  // namespace

// Few numbers and names, so that keys repeat, chains collide and the indexes grow; the two long
// names hash alike, for only every second byte of them counts.
TEST(ChannelTableModel, RandomOperationsMatchTheModel) {
    const char *const names[] = {"", "A", "B", "Pump", "xxxxxxxxxxxxxxxa", "yxxxxxxxxxxxxxxa"};
    const char *const items[] = {"", "I1", "I2", "I3"};
    for (unsigned seed = 1; seed <= 30; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](unsigned n) { return static_cast<int>(random() % n); };
        RecordRef<ServerConfig> server = test::make_server();
        ServerConfig &config = *server;
        Model model;
        for (int step = 0; step < 400; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
            const int32_t id = pick(64) - 2;
            const char *name = pick(8) ? names[pick(6)] : nullptr;
            const std::string item = items[pick(4)], path = pick(2) ? "P" : "";
            switch (pick(10)) {
            case 0:
            case 1: {
                const ChannelValue value{id, name ? name : "", item, path};
                store_channel(config, value);
                model.store(id, item, path, value.channel_name);
                break;
            }
            case 2:
                erase_channel(config, id, name);
                model.erase(id, name);
                break;
            case 3:
            case 4: {
                const Channel *found = lookup_channel(config, id, name);
                const RefChannel *expected = model.lookup(id, name);
                ASSERT_EQ(found ? found->item_id.str() + "|" + found->channel_name.str() : "none",
                          expected ? expected->item + "|" + expected->name : "none");
                break;
            }
            case 5:  // a file's channels, numbered, named, both or neither, then their indexes
                for (int n = pick(5); n >= 0; --n) {
                    const RefChannel parsed{pick(2) ? id + n : -1, names[pick(6)], items[pick(4)], path};
                    test::add_parsed(config, parsed.id, parsed.name, parsed.item, parsed.path);
                    model.append(parsed);
                }
                rebuild_indexes(config);
                model.ids.clear();
                model.names.clear();
                for (int serial : model.list) model.index(serial);
                break;
            case 6:
                clear_marks(config);
                for (int serial : model.list) model.made[serial].marked = false;
                break;
            case 7: {
                RefChannel *expected = model.lookup(id, name);
                if (expected) expected->marked = true;
                ASSERT_EQ(mark_channel(config, id, name) != nullptr, expected != nullptr);
                break;
            }
            case 8:
                sweep_unmarked(config);
                model.sweep();
                break;
            default:
                ASSERT_EQ(find_by_item_id(config, item), model.find_by_item(item));
                if (pick(20) == 0) {  // the indexes keep their grown size
                    reset_server(config);
                    model.list.clear();
                    model.ids.clear();
                    model.names.clear();
                }
                config.modified = false;  // as a save leaves it
                model.modified = false;
            }
            ASSERT_NO_FATAL_FAILURE(expect_same(config, model));
        }
    }
}

// A slot emptied in the middle stays; emptying the last drops it and the empty slots before it,
// down to the slots kept for files that failed to read. A removed server is released.
TEST(ServerTableModel, RemoveServerEmptiesOneSlotAndTrimsTheEmptyEnd) {
    std::mt19937 random(5);
    auto occupied = [](const std::vector<RecordRef<ServerConfig>> &slots) {
        std::vector<bool> out;
        for (const auto &slot : slots) out.push_back(static_cast<bool>(slot));
        return out;
    };
    for (int run = 0; run < 300; ++run) {
        std::vector<RecordRef<ServerConfig>> held(random() % 8);
        for (auto &slot : held) slot = random() % 3 ? test::make_server() : RecordRef<ServerConfig>();
        Environment env;
        env.servers = held;
        env.kept_slots = random() % (held.size() + 1);
        std::vector<bool> model = occupied(held);
        for (int step = 0; step < 6; ++step) {
            const int number = static_cast<int>(random() % 10) - 1;
            remove_server(env, number);
            if (number >= 0 && static_cast<size_t>(number) < model.size()) {
                model[static_cast<size_t>(number)] = false;
                if (static_cast<size_t>(number) + 1 == model.size())
                    while (model.size() > env.kept_slots && !model.back()) model.pop_back();
            }
            ASSERT_EQ(occupied(env.servers), model) << "run " << run << ", removed " << number;
        }
        for (size_t n = 0; n < held.size(); ++n)
            EXPECT_EQ(held[n] ? held[n]->reference_count() : 0, !held[n] ? 0 : n < model.size() && model[n] ? 2 : 1);
        clear_environment(env);
        EXPECT_TRUE(env.servers.empty() && env.kept_slots == 0);
    }
}

TEST(ModelEdges, TextHashOfKnownTexts) {
    const std::pair<std::string, uint32_t> cases[] = {
        {"abc", 139254u},      {"A", 65u}, {"ABCDEFGHIJKLMNOP", 2865878776u}, {"ABCDEFGHIJKLMNOPQ", 3983527785u},
        {"\xE9", 4294967273u}, {"", 0u},
    };
    for (const auto &[text, hash] : cases) EXPECT_EQ(text_hash(text), hash) << text;
    EXPECT_EQ(text_hash("ABCDEFGHIJKLMNO"), 3535130616u);  // the longest short text: every power of 37
    // From 16 bytes on, every (length / 8)-th byte counts from the last: here 15, 13, ..., 1.
    EXPECT_EQ(text_hash("xxxxxxxxxxxxxxxx"), text_hash("yxxxxxxxxxxxxxzx"));
    EXPECT_NE(text_hash("xxxxxxxxxxxxxxxx"), text_hash("xxxxxxxxxxxxxxxy"));
}

// The bucket counts an index grows through (when it grows, the random operations compare): each
// the first prime at or above 90 % of twice the last, and past the largest twice the last, low bit set.
TEST(ModelEdges, GrowthSequence) {
    std::vector<uint32_t> counts = {kInitialBucketCount};
    while (counts.size() < 16) counts.push_back(grown_bucket_count(2 * counts.back()));
    EXPECT_EQ(counts, (std::vector<uint32_t>{13, 31, 61, 127, 251, 509, 1021, 2039, 4093, 8191, 16381, 32749, 65521,
                                             131071, 262143, 524287}));
}

TEST(ModelEdges, ARecordDiesAtItsLastReleaseOrAtAReleaseWhenNobodyHeldIt) {
    int destroyed = 0;
    RecordRef<Probe> a(new Probe(destroyed)), b = a;
    a.reset();
    EXPECT_EQ(destroyed, 0);
    b = RecordRef<Probe>();
    EXPECT_EQ(destroyed, 1);
    (new Probe(destroyed))->release();
    EXPECT_EQ(destroyed, 2);
}
